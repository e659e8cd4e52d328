#include "app/app_state.h"

namespace brevicor {

bool QuitRequested = false;
HINSTANCE AppInstance = nullptr;
HWND TrayDialog = nullptr;
UINT_PTR AnimationTimer = 0;

} // namespace brevicor
