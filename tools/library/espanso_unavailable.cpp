// Match files in a build made without the YAML library: the import says so instead of guessing.
#include "tools/library/espanso_reader.h"

namespace brevicor::library {

bool EspansoSupported() {
    return false;
}

RecordsRead ReadEspanso(std::string_view, const std::string&) {
    RecordsRead result;
    result.refusal = Refusal{"", "", "Espanso match files are not supported in this build"};
    return result;
}

} // namespace brevicor::library
