#pragma once

#include "framework/gdi.h"

#include <windows.h>

// An owning font (CreateFontIndirectA), deleted with the wrapper; move-only.
namespace brevicor {

class CFont : public OwnedGdiObject<HFONT> {
public:
    CFont() = default;

    // Replaces any font held by a new one made from the description; false when it failed.
    bool CreateFontIndirect(const LOGFONTA& description) {
        Reset(::CreateFontIndirectA(&description));
        return Get() != nullptr;
    }
};

} // namespace brevicor
