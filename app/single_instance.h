#pragma once

// The single-instance guard: a named mutex created while the program loads, before the
// application object exists. Its existence alone marks a running copy.
namespace brevicor {

inline constexpr char kSingleInstanceMutexName[] = "{8UASJRZDR1-D9O6-7Y9b5-4T71-PE98939KASB986}";

// True when the mutex already existed as this process loaded: another copy is running.
bool AnotherCopyRunning();

} // namespace brevicor
