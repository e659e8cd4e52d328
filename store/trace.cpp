#include "store/trace.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace brevicor {

namespace {
TraceObserver g_observer = nullptr;
}

void WriteTrace(const char* text) {
#ifdef _WIN32
    OutputDebugStringA(text);
#endif
    if (g_observer != nullptr) {
        g_observer(text);
    }
}

TraceObserver SetTraceObserver(TraceObserver observer) {
    TraceObserver previous = g_observer;
    g_observer = observer;
    return previous;
}

} // namespace brevicor
