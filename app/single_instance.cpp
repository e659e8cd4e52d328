#include "app/single_instance.h"

#include <windows.h>

namespace brevicor {

namespace {

// Created during static initialisation; the handle is closed when the process ends, whether
// this copy ran or was refused.
class SingleInstanceMutex {
public:
    SingleInstanceMutex()
        : m_handle(CreateMutexA(nullptr, FALSE, kSingleInstanceMutexName)),
          m_creationError(GetLastError()) {}
    ~SingleInstanceMutex() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
        }
    }
    SingleInstanceMutex(const SingleInstanceMutex&) = delete;
    SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;

    bool AlreadyExisted() const { return m_creationError == ERROR_ALREADY_EXISTS; }

private:
    HANDLE m_handle;
    DWORD m_creationError; // read right after the creation call
};

// Before the application object and every other static object of the program.
__attribute__((init_priority(101))) const SingleInstanceMutex g_singleInstanceMutex;

} // namespace

bool AnotherCopyRunning() {
    return g_singleInstanceMutex.AlreadyExisted();
}

} // namespace brevicor
