// import: adds a file's phrases in one transaction, all or nothing.
#include "tools/library/command_support.h"
#include "tools/library/csv_format.h"
#include "tools/library/espanso_reader.h"
#include "tools/library/json_format.h"
#include "tools/library/phrase_table.h"
#include "tools/library/progress_bar.h"

#include <filesystem>

namespace brevicor::library {

namespace {

// Refusals listed before the rest are only counted: enough to fix a file in one go without
// burying the terminal.
constexpr std::size_t kRefusalsShown = 20;

std::string Summary(const ImportPlan& plan) {
    return "imported " + std::to_string(plan.imported) + ", replaced " +
           std::to_string(plan.replaced) + ", skipped " + std::to_string(plan.skipped);
}

void SayNothingImported(const Console& console) {
    std::fprintf(console.out, "nothing was imported: imported 0, replaced 0, skipped 0\n");
}

RecordsRead ReadRecords(FileFormat format, const std::string& path, const std::string& bytes) {
    switch (format) {
    case FileFormat::Csv:
        return ReadCsv(bytes);
    case FileFormat::Json:
        return ReadJson(bytes);
    case FileFormat::Espanso:
        break;
    }
    return ReadEspanso(bytes, std::filesystem::path(path).stem().string());
}

// The library's SQLSTATE classes for a value it refuses (22: data, 23: constraint).
bool RefusedValue(const DatabaseError& error) {
    return error.SqlState().rfind("22", 0) == 0 || error.SqlState().rfind("23", 0) == 0;
}

} // namespace

int RunImport(const Options& options, const Console& console) {
    const std::string& path = options.inputFile;
    const auto format = options.format ? options.format : FormatOfFile(path);
    if (!format) {
        SayError(console, "cannot tell the format of " + path +
                              " from its name: give --format csv, json or espanso");
        return kExitRefused;
    }
    if (*format == FileFormat::Espanso && !EspansoSupported()) {
        SayError(console, "Espanso match files are not supported in this build (it is made "
                          "without a YAML library); convert the file to CSV or JSON, or import "
                          "it with the Linux build");
        return kExitRefused;
    }

    const auto library = OpenLibrary(options, console);
    if (!library) {
        return kExitFailed;
    }
    const auto bytes = ReadWholeFile(path, console);
    if (!bytes) {
        return kExitFailed;
    }

    const RecordsRead read = ReadRecords(*format, path, *bytes);
    if (read.refusal) {
        SayError(console, path + ": " + Describe(*read.refusal));
        SayNothingImported(console);
        return kExitRefused;
    }

    std::vector<IncomingPhrase> incoming;
    incoming.reserve(read.records.size());
    std::size_t refused = 0;
    for (const PhraseRecord& record : read.records) {
        auto stored = StoredFromRecord(record);
        if (const Refusal* refusal = std::get_if<Refusal>(&stored)) {
            if (++refused <= kRefusalsShown) {
                SayError(console, path + ": " + Describe(*refusal));
            }
            continue;
        }
        incoming.push_back(IncomingPhrase{std::get<StoredPhrase>(std::move(stored)), record.where,
                                          record.codeField});
    }
    if (refused > 0) {
        if (refused > kRefusalsShown) {
            SayError(console, path + ": and " + std::to_string(refused - kRefusalsShown) +
                                  " more records refused");
        }
        SayNothingImported(console);
        return kExitRefused;
    }

    try {
        // Read inside the transaction, so that the plan and the writes see the same library.
        if (!options.dryRun) {
            library->BeginTransaction();
        }
        ImportPlan plan = PlanImport(ReadRows(*library), incoming, options.duplicates);
        if (plan.refusal) {
            SayError(console, path + ": " + Describe(*plan.refusal));
            SayNothingImported(console);
            return kExitRefused;
        }
        plan.skipped += read.skipped.size();
        for (const std::string& line : read.skipped) {
            std::fprintf(console.out, "%s\n", line.c_str());
        }
        for (const std::string& line : plan.report) {
            std::fprintf(console.out, "%s\n", line.c_str());
        }
        if (options.dryRun) {
            std::fprintf(console.out, "dry run, nothing was written; the import would give: %s\n",
                         Summary(plan).c_str());
            return kExitDone;
        }

        PhraseWriter writer(*library);
        ProgressBar progress(console.err, "importing", plan.inserts.size() + plan.replaces.size());
        std::string where;
        try {
            for (const PlannedInsert& insert : plan.inserts) {
                where = insert.where;
                writer.Insert(insert.phrase);
                progress.Advance();
            }
            for (const PlannedReplace& replace : plan.replaces) {
                where = replace.where;
                for (std::int32_t id : replace.ids) {
                    writer.ReplaceContent(id, replace.content);
                }
                progress.Advance();
            }
            where.clear();
            library->Commit();
        } catch (const DatabaseError& error) {
            library->Rollback();
            const std::string at = where.empty() ? "" : " at " + where;
            SayError(console, "the library refused the import" + at + ": " + error.what());
            SayNothingImported(console);
            return RefusedValue(error) ? kExitRefused : kExitFailed;
        }
        std::fprintf(console.out, "%s\n", Summary(plan).c_str());
        return kExitDone;
    } catch (const DatabaseError& error) {
        library->Rollback();
        SayError(console, error.what());
        SayNothingImported(console);
        return kExitFailed;
    }
}

} // namespace brevicor::library
