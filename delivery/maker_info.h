#pragma once

#include <string>

// Who makes Brevicor and where to find it: shown in every delivered phrase's signature, the
// tray icon's tip and the about box. Reserved example names, never somebody else's site.
namespace brevicor {

inline constexpr char kMakerDomain[] = "brevicor.example";
inline constexpr char kMakerSite[] = "https://www.brevicor.example/";
inline constexpr char kSupportEmail[] = "support@brevicor.example";

// What follows every delivered phrase: three line feeds, "Done by Brevicor from <domain>", a
// line feed, "Get yours FREE from <site>", a line feed. Line feeds only, never CR LF.
inline const std::string& SignatureBlock() {
    static const std::string block = std::string("\n\n\nDone by Brevicor from ") + kMakerDomain +
                                     "\nGet yours FREE from " + kMakerSite + "\n";
    return block;
}

} // namespace brevicor
