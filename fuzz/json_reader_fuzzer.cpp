// The library tool's JSON import reader on arbitrary bytes. What it accepts, written out again
// by the export's own writer, must read back to the same phrases.
#include "fuzz/read_records_check.h"
#include "tools/library/json_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace brevicor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const library::RecordsRead read = library::ReadJson(file);
    fuzz::CheckRecords(read);
    if (read.refusal) {
        return 0;
    }
    std::string written = "[";
    for (std::size_t i = 0; i < read.records.size(); ++i) {
        written += (i == 0 ? "\n" : ",\n") + library::JsonObject(read.records[i]);
    }
    written += "\n]\n";
    const library::RecordsRead again = library::ReadJson(written);
    if (again.refusal || !fuzz::SameRecords(read, again)) {
        __builtin_trap();
    }
    return 0;
}
