#include "framework/thread_message_state.h"

namespace brevicor {

MSG& CurrentThreadMessage() {
    thread_local MSG current{};
    return current;
}

ScopedThreadMessage::ScopedThreadMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    : m_previous(CurrentThreadMessage()) {
    MSG& current = CurrentThreadMessage();
    current.hwnd = window;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
    // Time and point of the message being dispatched; for a sent message, the last one read.
    current.time = static_cast<DWORD>(GetMessageTime());
    DWORD pos = GetMessagePos();
    current.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

ScopedThreadMessage::~ScopedThreadMessage() {
    CurrentThreadMessage() = m_previous;
}

} // namespace brevicor
