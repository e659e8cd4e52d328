#pragma once

#include <optional>
#include <unordered_map>
#include <vector>

// Command identifiers of phrase items in the tray menu. A phrase's identifier is its PhraseID
// plus 40000 for PhraseIDs 0..9999 (identifiers 40000..49999). Larger PhraseIDs would reach
// the fixed tray commands (50001 and up), so they get an identifier from a range no fixed
// command, category item or other phrase uses, recorded for the menu being built.
namespace brevicor {

inline constexpr unsigned kFirstMappedPhraseId = 20000;
inline constexpr unsigned kLastMappedPhraseId = 39999;

class PhraseMenuIds {
public:
    // Forgets every mapping; called when a new tray menu is built.
    void Clear();

    // The identifier for a phrase item. Returns nothing when the mapped range is used up
    // (the phrase then gets no item).
    std::optional<unsigned> IdForPhrase(int phraseId);

    // The PhraseID an identifier stands for, if it is a phrase item of the current menu or a
    // phrase identifier 40000..49999.
    std::optional<int> PhraseIdFor(unsigned commandId) const;

private:
    // PhraseID of identifier kFirstMappedPhraseId + index, and the way back.
    std::vector<int> m_phraseIds;
    std::unordered_map<int, unsigned> m_idOfPhrase;
};

// The mapping of the tray menu being shown, read by the tray dispatch and the hover preview.
PhraseMenuIds& TrayMenuPhraseIds();

} // namespace brevicor
