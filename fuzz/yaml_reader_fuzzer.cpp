// The library tool's match-file (YAML) import reader on arbitrary bytes: it must refuse or
// read, never crash, and what it reads must convert to the library's text.
#include "fuzz/read_records_check.h"
#include "tools/library/espanso_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace brevicor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const library::RecordsRead read = library::ReadEspanso(file, "Imported");
    fuzz::CheckRecords(read);
    for (const library::PhraseRecord& record : read.records) {
        if (record.category != "Imported") {
            __builtin_trap();
        }
    }
    return 0;
}
