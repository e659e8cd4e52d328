#include "dialogs/control_text.h"

#include "framework/message_box.h"

#include <vector>

namespace brevicor {

std::string ReadControlText(HWND control, std::size_t maxChars) {
    std::vector<char> buffer(maxChars + 1, '\0');
    int copied = GetWindowTextA(control, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

std::string ReadWholeControlText(HWND control) {
    int length = GetWindowTextLengthA(control);
    return ReadControlText(control, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool ConfirmStored(const WriteResult& result, const char* what) {
    if (result.stored) {
        return true;
    }
    AppMessageBox(std::string(what) + "\n\n" + result.message, MB_OK | MB_ICONWARNING);
    return false;
}

} // namespace brevicor
