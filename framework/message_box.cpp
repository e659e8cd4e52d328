#include "framework/message_box.h"

namespace brevicor {

std::string ApplicationName() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

int AppMessageBox(const std::string& text, UINT type) {
    if ((type & MB_ICONMASK) == 0) {
        type |= MB_ICONEXCLAMATION;
    }
    return MessageBoxA(GetActiveWindow(), text.c_str(), ApplicationName().c_str(), type);
}

} // namespace brevicor
