#pragma once

// A phrase library in a folder of its own that lives as long as the object: made from the
// schema by the engine's set-up tool, removed with its folder at the end.

#include <string>

namespace brevicor::fuzz {

class ScratchLibrary {
public:
    // Aborts when the library cannot be made: a fuzzer without its library tests nothing.
    ScratchLibrary(const std::string& newlib, const std::string& schema);
    ~ScratchLibrary();
    ScratchLibrary(const ScratchLibrary&) = delete;
    ScratchLibrary& operator=(const ScratchLibrary&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
};

} // namespace brevicor::fuzz
