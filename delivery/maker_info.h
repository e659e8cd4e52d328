#pragma once

// Who makes Brevicor and where to find it: shown in every delivered phrase's signature, the
// tray icon's tip and the about box. Reserved example names, never somebody else's site.
namespace brevicor {

inline constexpr char kMakerDomain[] = "brevicor.example";
inline constexpr char kMakerSite[] = "https://www.brevicor.example/";
inline constexpr char kSupportEmail[] = "support@brevicor.example";

} // namespace brevicor
