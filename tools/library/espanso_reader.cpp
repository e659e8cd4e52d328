#include "tools/library/espanso_reader.h"

#include "tools/library/text_1252.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <array>

namespace brevicor::library {

namespace {

std::string LineOf(const YAML::Node& node) {
    return "line " + std::to_string(node.Mark().line + 1);
}

// Why an entry cannot become a plain phrase, or nothing when it can.
std::string ReasonToSkip(const YAML::Node& match) {
    static constexpr std::array<std::pair<const char*, const char*>, 7> kKeys = {{
        {"vars", "it uses variables"},
        {"form", "it uses a form"},
        {"form_fields", "it uses a form"},
        {"image_path", "it inserts an image"},
        {"markdown", "its text is rich text (markdown)"},
        {"html", "its text is rich text (html)"},
        {"regex", "its trigger is a regular expression"},
    }};
    for (const auto& [key, reason] : kKeys) {
        if (match[key]) {
            return reason;
        }
    }
    const YAML::Node replace = match["replace"];
    if (replace && replace.IsScalar()) {
        const std::string& text = replace.Scalar();
        const auto open = text.find("{{");
        if (open != std::string::npos && text.find("}}", open) != std::string::npos) {
            return "it uses variables";
        }
    }
    return {};
}

} // namespace

bool EspansoSupported() {
    return true;
}

RecordsRead ReadEspanso(std::string_view file, const std::string& category) {
    RecordsRead result;
    const std::string_view text = WithoutByteOrderMark(file);
    if (const auto bad = FindInvalidUtf8(text)) {
        const auto line =
            1 + std::count(text.begin(), text.begin() + static_cast<long>(*bad), '\n');
        result.refusal = Refusal{"line " + std::to_string(line), "", "the file is not valid UTF-8"};
        return result;
    }
    YAML::Node root;
    try {
        root = YAML::Load(std::string(text));
    } catch (const YAML::Exception& e) {
        result.refusal = Refusal{"line " + std::to_string(e.mark.line + 1), "",
                                 "the file is not valid YAML: " + e.msg};
        return result;
    }
    if (root.IsNull()) {
        return result; // an empty file holds no matches
    }
    if (!root.IsMap()) {
        result.refusal = Refusal{LineOf(root), "",
                                 "not a match file: it must be a mapping with "
                                 "a list of matches"};
        return result;
    }
    const YAML::Node matches = root["matches"];
    if (!matches || matches.IsNull()) {
        return result; // a file of global variables or imports only
    }
    if (!matches.IsSequence()) {
        result.refusal = Refusal{LineOf(matches), "matches", "must be a list of matches"};
        return result;
    }
    std::size_t number = 0;
    for (const YAML::Node& match : matches) {
        ++number;
        const std::string where = "match " + std::to_string(number) + " (" + LineOf(match) + ")";
        if (!match.IsMap()) {
            result.refusal = Refusal{where, "",
                                     "a match must be a mapping with a trigger and a "
                                     "replace text"};
            return result;
        }
        if (const std::string reason = ReasonToSkip(match); !reason.empty()) {
            result.skipped.push_back(where + ": skipped, " + reason);
            continue;
        }
        std::vector<std::string> triggers;
        if (const YAML::Node trigger = match["trigger"]) {
            if (!trigger.IsScalar()) {
                result.refusal = Refusal{where, "trigger", "must be text"};
                return result;
            }
            triggers.push_back(trigger.Scalar());
        }
        if (const YAML::Node list = match["triggers"]) {
            if (!list.IsSequence()) {
                result.refusal = Refusal{where, "triggers", "must be a list of texts"};
                return result;
            }
            for (const YAML::Node& trigger : list) {
                if (!trigger.IsScalar()) {
                    result.refusal = Refusal{where, "triggers", "must be a list of texts"};
                    return result;
                }
                triggers.push_back(trigger.Scalar());
            }
        }
        if (triggers.empty()) {
            result.refusal = Refusal{where, "trigger", "missing"};
            return result;
        }
        const YAML::Node replace = match["replace"];
        if (!replace || !replace.IsScalar()) {
            result.refusal = Refusal{where, "replace", replace ? "must be text" : "missing"};
            return result;
        }
        for (const std::string& trigger : triggers) {
            result.records.push_back(
                PhraseRecord{category, trigger, replace.Scalar(), where, "trigger", "replace"});
        }
    }
    return result;
}

} // namespace brevicor::library
