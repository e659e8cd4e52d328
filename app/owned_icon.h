#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace brevicor {

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

// An icon loaded with LoadImageA (not shared): destroyed with its owner. Move-only.
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// Loads a 32x32 icon resource with default colour handling; null when it cannot be loaded.
inline OwnedIcon LoadOwnedIcon(HINSTANCE module, int id) {
    return OwnedIcon(static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
}

} // namespace brevicor
