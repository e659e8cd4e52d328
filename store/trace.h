#pragma once

// Trace lines of the phrase store. On Windows they go to the debugger output
// (OutputDebugStringA; under Wine: WINEDEBUG=+debugstr). Everywhere, an observer can be set so
// that tests read exactly what was written.
namespace brevicor {

using TraceObserver = void (*)(const char* text);

// Writes one trace string as it stands: no line end is added.
void WriteTrace(const char* text);

// Installs the observer (null removes it) and returns the previous one.
TraceObserver SetTraceObserver(TraceObserver observer);

} // namespace brevicor
