#pragma once

#include <windows.h>

// The message the user-interface thread is processing right now: window, message, parameters,
// time and point. Window procedures set it for the length of their dispatch and put the previous
// record back afterwards, so nested dispatches (a modal loop inside a handler) restore it.
namespace brevicor {

// The record of the calling thread; all zero while no message is being processed.
MSG& CurrentThreadMessage();

// Makes a message the current one for the guard's lifetime.
class ScopedThreadMessage {
public:
    ScopedThreadMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    ~ScopedThreadMessage();
    ScopedThreadMessage(const ScopedThreadMessage&) = delete;
    ScopedThreadMessage& operator=(const ScopedThreadMessage&) = delete;

private:
    MSG m_previous;
};

} // namespace brevicor
