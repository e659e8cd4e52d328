#include "store/phrase_menu_ids.h"

#include "store/phrase_queries.h"

namespace brevicor {

namespace {

// PhraseIDs whose identifier is PhraseID + 40000, inside the phrase range 40000..49999.
constexpr int kLastOffsetPhraseId = 9999;
constexpr size_t kMappedCapacity = kLastMappedPhraseId - kFirstMappedPhraseId + 1;

PhraseMenuIds g_trayMenuPhraseIds;

} // namespace

void PhraseMenuIds::Clear() {
    m_phraseIds.clear();
    m_idOfPhrase.clear();
}

std::optional<unsigned> PhraseMenuIds::IdForPhrase(int phraseId) {
    if (phraseId >= 0 && phraseId <= kLastOffsetPhraseId) {
        return static_cast<unsigned>(phraseId + kPhraseCommandOffset);
    }
    // Larger (or negative) PhraseIDs would land on fixed commands or category items.
    if (auto known = m_idOfPhrase.find(phraseId); known != m_idOfPhrase.end()) {
        return known->second;
    }
    if (m_phraseIds.size() >= kMappedCapacity) {
        return std::nullopt;
    }
    unsigned id = kFirstMappedPhraseId + static_cast<unsigned>(m_phraseIds.size());
    m_phraseIds.push_back(phraseId);
    m_idOfPhrase.emplace(phraseId, id);
    return id;
}

std::optional<int> PhraseMenuIds::PhraseIdFor(unsigned commandId) const {
    constexpr unsigned kFirstPhraseCommand = kPhraseCommandOffset;
    constexpr unsigned kLastPhraseCommand = kPhraseCommandOffset + kLastOffsetPhraseId;
    if (commandId >= kFirstPhraseCommand && commandId <= kLastPhraseCommand) {
        return static_cast<int>(commandId - kFirstPhraseCommand);
    }
    if (commandId >= kFirstMappedPhraseId &&
        commandId - kFirstMappedPhraseId < m_phraseIds.size()) {
        return m_phraseIds[commandId - kFirstMappedPhraseId];
    }
    return std::nullopt;
}

PhraseMenuIds& TrayMenuPhraseIds() {
    return g_trayMenuPhraseIds;
}

} // namespace brevicor
