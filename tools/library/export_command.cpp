// export: every phrase as CSV or JSON, to standard output or a file.
#include "tools/library/command_support.h"
#include "tools/library/csv_format.h"
#include "tools/library/json_format.h"
#include "tools/library/phrase_table.h"
#include "tools/library/progress_bar.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace brevicor::library {

namespace {

// A file written beside its destination and moved into place only when complete, so that a
// failed export never leaves a half-written file under the name asked for.
class PendingFile {
public:
    explicit PendingFile(std::string path) : m_path(std::move(path)), m_part(m_path + ".part") {
        m_file.reset(std::fopen(m_part.c_str(), "wb"));
    }
    ~PendingFile() {
        if (!m_kept) {
            m_file.reset();
            std::error_code ec;
            fs::remove(m_part, ec);
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::FILE* Get() const { return m_file.get(); }
    const std::string& PartPath() const { return m_part; }

    // Closes the file and gives it its name; the reason when that failed.
    std::optional<std::string> Keep() {
        if (std::fclose(m_file.release()) != 0) {
            return std::string(std::strerror(errno));
        }
#ifdef _WIN32
        // An existing file of that name is replaced, as the rename does on Linux.
        if (MoveFileExA(m_part.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING) == 0) {
            return "Windows error " + std::to_string(GetLastError());
        }
#else
        std::error_code ec;
        fs::rename(m_part, m_path, ec);
        if (ec) {
            return ec.message();
        }
#endif
        m_kept = true;
        return std::nullopt;
    }

private:
    std::string m_path;
    std::string m_part;
    OwnedFile m_file;
    bool m_kept = false;
};

bool Write(std::FILE* file, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

} // namespace

int RunExport(const Options& options, const Console& console) {
    FileFormat format = FileFormat::Csv;
    if (options.format) {
        format = *options.format;
    } else if (options.outputFile) {
        format = FormatOfFile(*options.outputFile).value_or(FileFormat::Csv);
    }
    if (format == FileFormat::Espanso) {
        SayError(console, "Espanso match files are read, never written: export as csv or json");
        return kExitRefused;
    }

    const auto library = OpenLibrary(options, console);
    if (!library) {
        return kExitFailed;
    }

    std::optional<PendingFile> pending;
    std::FILE* out = console.out;
    if (options.outputFile) {
        pending.emplace(*options.outputFile);
        if (pending->Get() == nullptr) {
            SayError(console, "cannot write " + pending->PartPath() + ": " + std::strerror(errno));
            return kExitFailed;
        }
        out = pending->Get();
    }

    std::size_t rows = 0;
    bool written = true;
    try {
        const std::size_t total = CountRows(*library);
        ProgressBar progress(console.err, "exporting", total);
        written = Write(out, format == FileFormat::Csv ? kCsvHeader : "[");
        ForEachRow(*library, [&](const LibraryRow& row) {
            const PhraseRecord record = RecordFromStored(row.phrase);
            if (format == FileFormat::Csv) {
                written = written && Write(out, CsvLine(record));
            } else {
                written =
                    written && Write(out, (rows == 0 ? "\n  " : ",\n  ") + JsonObject(record));
            }
            ++rows;
            progress.Advance();
        });
        if (format == FileFormat::Json) {
            written = written && Write(out, rows == 0 ? "]\n" : "\n]\n");
        }
    } catch (const DatabaseError& error) {
        SayError(console, std::string(error.what()) + "; nothing was exported");
        return kExitFailed;
    }
    const std::string destination = options.outputFile.value_or("standard output");
    if (pending) {
        if (written) {
            if (auto problem = pending->Keep()) {
                SayError(console, "cannot write " + destination + ": " + *problem);
                return kExitFailed;
            }
        }
    } else {
        written = written && std::fflush(out) == 0;
    }
    if (!written) {
        SayError(console, "cannot write " + destination + ": " + std::strerror(errno));
        return kExitFailed;
    }
    std::fprintf(console.err, "exported %zu %s to %s\n", rows, rows == 1 ? "row" : "rows",
                 destination.c_str());
    return kExitDone;
}

} // namespace brevicor::library
