#include "tools/library/phrase_record.h"

namespace brevicor::library {

std::string Describe(const Refusal& refusal) {
    std::string text = refusal.where;
    if (!refusal.field.empty()) {
        text += (text.empty() ? "field " : ", field ") + refusal.field;
    }
    return text + (text.empty() ? "" : ": ") + refusal.reason;
}

} // namespace brevicor::library
