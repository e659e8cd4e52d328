// The library's case rule for one Windows-1252 byte, shared by the engine's collation and the
// library tool, so both tell the same names apart: ASCII and the accented letters fold
// (é = É, š = Š), nothing else does.
#pragma once

namespace brevicor::engine {

// Lower-case partner of a Windows-1252 byte; bytes without one come back unchanged.
constexpr unsigned char fold_1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c + 0x20);
    }
    // À..Þ map to à..þ, except 0xD7 (×) whose slot partner 0xF7 is ÷, not a letter.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<unsigned char>(c + 0x20);
    }
    switch (c) {
    case 0x8A: // Š
        return 0x9A;
    case 0x8C: // Œ
        return 0x9C;
    case 0x8E: // Ž
        return 0x9E;
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

} // namespace brevicor::engine
