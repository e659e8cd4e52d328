#pragma once

#include "framework/dialog.h"

// The about box: the emblem, the maker's web address, support address and the rights line.
// It has no state; OK, Escape and the close box all end it with 2.
namespace brevicor {

class CAboutBox : public CDialog {
    DECLARE_RUNTIME_CLASS(CAboutBox)
public:
    CAboutBox();

    BOOL OnInitDialog() override;
};

} // namespace brevicor
