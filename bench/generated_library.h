// The generated libraries the benchmarks run on, described once: the store benchmark writes
// them into library files, and the bare Win32 program builds the same menu and delivers the
// same text without any library. Phrase n (0-based) has PhraseID n + 1; the phrases of one
// category are spread over the whole table, as phrases added over the years are.
#pragma once

#include <cstdio>
#include <string>

namespace brevicor::bench {

struct LibraryShape {
    int phrases;
    int categories;
};

inline constexpr LibraryShape kSmallLibrary{1000, 10};
inline constexpr LibraryShape kMediumLibrary{10000, 250};
inline constexpr LibraryShape kLargeLibrary{40000, 1000};

inline std::string CategoryName(const LibraryShape& shape, int phrase) {
    char name[32];
    std::snprintf(name, sizeof(name), "Category %04d", phrase % shape.categories);
    return name;
}

inline std::string CodeName(const LibraryShape& shape, int phrase) {
    char name[32];
    std::snprintf(name, sizeof(name), "shortcut %03d", phrase / shape.categories);
    return name;
}

// A few hundred bytes, with a line break and an apostrophe stored as the program stores it.
inline std::string PhraseText(int phrase) {
    char lead[64];
    std::snprintf(lead, sizeof(lead), "Dear customer %d,\r\n\r\n", phrase);
    std::string text =
        std::string(lead) + "thank you for your message. We\xAC`ve looked into it and ";
    for (int i = 0; i < 20; ++i) {
        text += "will reply soon. ";
    }
    return text;
}

// The text as the program delivers it: each stored apostrophe marker back as an apostrophe.
inline std::string DeliveredText(int phrase) {
    const std::string stored = PhraseText(phrase);
    std::string text;
    for (std::string::size_type i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\xAC' && i + 1 < stored.size() && stored[i + 1] == '`') {
            text += '\'';
            ++i;
        } else {
            text += stored[i];
        }
    }
    return text;
}

} // namespace brevicor::bench
