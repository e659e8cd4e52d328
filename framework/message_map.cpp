#include "framework/message_map.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CCmdTarget, CObject)

const MessageMap CCmdTarget::messageMap{nullptr, {}};

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, WPARAM wParam) const {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry& entry : map->entries) {
            if (entry.message != message) {
                continue;
            }
            if (message == WM_COMMAND &&
                (entry.id != LOWORD(wParam) || entry.code != HIWORD(wParam))) {
                continue;
            }
            return &entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    WPARAM wParam = MAKEWPARAM(id, code);
    const MessageMapEntry* entry = FindEntry(WM_COMMAND, wParam);
    if (entry == nullptr) {
        return false;
    }
    entry->invoke(*this, wParam, 0);
    return true;
}

} // namespace brevicor
