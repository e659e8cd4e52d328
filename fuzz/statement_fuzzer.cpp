// Statement execution through the engine's SQL entry points, called directly as the driver
// manager calls them: the input chooses statements the program and the library tool send,
// their parameters (value bytes, C and SQL types, lengths and indicators), and how the
// results are read (bound columns or SQLGetData, with buffers too short on purpose).
//
// One library file per process, made by the engine's set-up tool from the schema. Each input
// runs in one manual-commit transaction that is rolled back at the end, so every input starts
// from the same rows and a crash input replays on its own.
#include "fuzz/scratch_library.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using brevicor::fuzz::ScratchLibrary;

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "statement fuzzer: %s\n", what);
    __builtin_trap();
}

struct StatementText {
    const char* sql;
    int parameters; // markers, or for a literal statement the number of %s
    bool literal;   // values go into the text between quotes, as the program writes them
};

// What the program (tray menu, editor, delivery, history) and the library tool send.
constexpr StatementText kStatements[] = {
    {"SELECT DISTINCT category FROM phrase ORDER BY category ASC", 0, false},
    {"SELECT code, PhraseID FROM phrase WHERE category = ? ORDER BY code ASC", 1, false},
    {"SELECT code, content FROM phrase  WHERE category = ?", 1, false},
    {"SELECT content , PhraseID FROM phrase", 0, false},
    {"SELECT content FROM phrase WHERE code = ? AND category = ?", 2, false},
    {"SELECT content FROM phrase WHERE PhraseID = ?", 1, false},
    {"SELECT COUNT(PhraseID) FROM phrase WHERE category = ?", 1, false},
    {"SELECT PhraseID, category, code, content FROM phrase ORDER BY PhraseID", 0, false},
    {"INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)", 3, false},
    {"UPDATE phrase SET content = ? WHERE PhraseID = ?", 2, false},
    {"UPDATE phrase SET content = ? WHERE code = ? AND category = ?", 3, false},
    {"UPDATE phrase SET category = ? WHERE category = ?", 2, false},
    {"DELETE FROM phrase WHERE code = ? AND category = ?", 2, false},
    {"SELECT content FROM phrase WHERE code = '%s' AND category = '%s'", 2, true},
    {"SELECT code, PhraseID FROM phrase WHERE category = '%s' ORDER BY code ASC", 1, true},
    {"INSERT INTO phrase (category, code, content) VALUES ('%s', '%s', '%s')", 3, true},
    {"UPDATE phrase SET content = '%s' WHERE code = '%s' AND category = '%s'", 3, true},
    {"DELETE FROM phrase WHERE code = '%s' AND category = '%s'", 2, true},
};

constexpr SQLSMALLINT kCTypes[] = {
    SQL_C_DEFAULT, SQL_C_CHAR,   SQL_C_WCHAR,    SQL_C_BINARY,    SQL_C_SLONG,  SQL_C_ULONG,
    SQL_C_SSHORT,  SQL_C_USHORT, SQL_C_STINYINT, SQL_C_UTINYINT,  SQL_C_BIT,    SQL_C_SBIGINT,
    SQL_C_UBIGINT, SQL_C_DOUBLE, SQL_C_FLOAT,    SQL_C_TYPE_DATE, SQL_C_NUMERIC};

constexpr SQLSMALLINT kSqlTypes[] = {
    SQL_VARCHAR, SQL_LONGVARCHAR, SQL_CHAR, SQL_WVARCHAR, SQL_INTEGER, SQL_SMALLINT, SQL_BIGINT,
    SQL_DOUBLE,  SQL_REAL,        SQL_BIT,  SQL_BINARY,   SQL_DECIMAL, SQL_TYPE_DATE};

// Bytes a value of a fixed-size C type takes; the application's buffer always has them.
// SQL_C_DEFAULT may stand for any number type (chosen by the SQL type), eight bytes at most.
std::size_t fixed_size(SQLSMALLINT c_type) {
    switch (c_type) {
    case SQL_C_DEFAULT:
        return 8;
    case SQL_C_SLONG:
    case SQL_C_ULONG:
        return 4;
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
        return 2;
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        return 1;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_DOUBLE:
        return 8;
    case SQL_C_FLOAT:
        return 4;
    case SQL_C_TYPE_DATE:
        return sizeof(SQL_DATE_STRUCT);
    case SQL_C_NUMERIC:
        return sizeof(SQL_NUMERIC_STRUCT);
    default:
        return 0;
    }
}

// Frees the statement handle whatever happens to the statement.
struct StatementHandle {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    explicit StatementHandle(SQLHDBC dbc) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &handle))) {
            fault("cannot allocate a statement");
        }
    }
    ~StatementHandle() { SQLFreeHandle(SQL_HANDLE_STMT, handle); }
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
};

// Reads every diagnostic record, twice, as the driver manager does; returns whether one of
// them has `state`.
bool has_state(SQLSMALLINT type, SQLHANDLE handle, const char* state) {
    bool found = false;
    for (int pass = 0; pass < 2; ++pass) {
        for (SQLSMALLINT record = 1; record < 20; ++record) {
            SQLCHAR sqlstate[6] = {};
            SQLCHAR text[64];
            SQLINTEGER native = 0;
            SQLSMALLINT length = 0;
            const SQLRETURN rc =
                SQLGetDiagRec(type, handle, record, sqlstate, &native, text, sizeof text, &length);
            if (!SQL_SUCCEEDED(rc)) {
                break;
            }
            if (std::strlen(reinterpret_cast<char*>(sqlstate)) != 5 ||
                std::memchr(text, '\0', sizeof text) == nullptr) {
                fault("a diagnostic record is malformed");
            }
            found = found || std::strcmp(reinterpret_cast<char*>(sqlstate), state) == 0;
        }
    }
    return found;
}

// One bound parameter: the application's buffers for every set of values (column-wise, one
// element per set), alive until the statement is gone.
struct Parameter {
    std::vector<char> values;
    std::vector<SQLLEN> indicators;
    bool use_indicator = true;
};

void bind_parameter(FuzzedDataProvider& in, SQLHSTMT st, SQLUSMALLINT number, Parameter& p,
                    std::size_t sets) {
    const SQLSMALLINT c_type = in.PickValueInArray(kCTypes);
    const SQLSMALLINT sql_type = in.PickValueInArray(kSqlTypes);
    std::vector<std::string> data(sets);
    std::size_t longest = 0;
    for (std::string& d : data) {
        d = in.ConsumeRandomLengthString(300 / sets);
        longest = std::max(longest, d.size());
    }
    // A fixed-size type takes its own size per set; anything else the buffer length, which
    // leaves room for NUL bytes after the data: enough for a narrow or a wide terminator at
    // either alignment, as a NUL-terminated string has. How a value is measured then depends
    // only on the indicator and the buffer length.
    const std::size_t fixed = c_type == SQL_C_DEFAULT ? 0 : fixed_size(c_type);
    const std::size_t element =
        fixed != 0 ? fixed
                   : std::max(longest + 3, c_type == SQL_C_DEFAULT ? fixed_size(c_type) : 0);
    p.values.assign(sets * element + 3, '\0');
    for (std::size_t i = 0; i < sets; ++i) {
        data[i].resize(std::min(data[i].size(), fixed != 0 ? fixed : element - 3));
        std::memcpy(p.values.data() + i * element, data[i].data(), data[i].size());
    }
    p.indicators.assign(sets, 0);
    SQLLEN buffer_length = static_cast<SQLLEN>(element);
    const int mode = in.ConsumeIntegralInRange(0, 6);
    constexpr SQLLEN odd[] = {-5, SQL_DATA_AT_EXEC, SQL_LEN_DATA_AT_EXEC(10), -1000};
    for (std::size_t i = 0; i < sets; ++i) {
        SQLLEN& indicator = p.indicators[i];
        const std::size_t size = fixed != 0 ? fixed : data[i].size();
        switch (mode) {
        case 0:
            indicator = static_cast<SQLLEN>(size);
            break;
        case 1:
            indicator = static_cast<SQLLEN>(in.ConsumeIntegralInRange<std::size_t>(0, size));
            break;
        case 2:
            indicator = SQL_NTS;
            break;
        case 3:
            indicator = in.ConsumeBool() ? SQL_NULL_DATA : static_cast<SQLLEN>(size);
            break;
        case 4:
        case 5:
            p.use_indicator = false;
            break;
        default:
            indicator = in.PickValueInArray(odd);
            break;
        }
    }
    if (mode == 5) {
        buffer_length = static_cast<SQLLEN>(in.ConsumeIntegralInRange<std::size_t>(0, element));
    }
    SQLBindParameter(st, number, SQL_PARAM_INPUT, c_type, sql_type, 255, 0, p.values.data(),
                     buffer_length, p.use_indicator ? p.indicators.data() : nullptr);
}

std::string quoted(const std::string& value) {
    std::string out;
    for (char c : value) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out;
}

std::string literal_statement(FuzzedDataProvider& in, const StatementText& text) {
    std::string out;
    for (const char* p = text.sql; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += quoted(in.ConsumeRandomLengthString(300));
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// Reads one column of the current row piece by piece. For text and bytes, each piece's
// indicator is what was left before it, and a cut piece comes with 01004.
void get_data(FuzzedDataProvider& in, SQLHSTMT st, SQLUSMALLINT column) {
    const SQLSMALLINT c_type = in.PickValueInArray(kCTypes);
    const SQLLEN buffer_length = in.ConsumeIntegralInRange<SQLLEN>(0, 40);
    const bool pieces = c_type == SQL_C_CHAR || c_type == SQL_C_WCHAR || c_type == SQL_C_BINARY;
    const SQLLEN unit = c_type == SQL_C_WCHAR ? 2 : 1;
    const bool terminated = c_type != SQL_C_BINARY;
    std::vector<char> buffer(
        std::max<std::size_t>(static_cast<std::size_t>(buffer_length), fixed_size(c_type)));
    SQLLEN left = -1;
    for (int call = 0; call < 500; ++call) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(st, column, c_type, buffer.data(), buffer_length, &indicator);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc)) {
            has_state(SQL_HANDLE_STMT, st, "01004");
            if (rc == SQL_NO_DATA && pieces && left > 0) {
                fault("SQLGetData said no data before the whole value was read");
            }
            return;
        }
        if (!pieces || indicator == SQL_NULL_DATA) {
            continue; // the next call answers SQL_NO_DATA
        }
        if ((left >= 0 && indicator != left) || indicator < 0 || indicator % unit != 0) {
            fault("SQLGetData's indicator is not what the earlier pieces left");
        }
        const SQLLEN room = (buffer_length / unit - (terminated ? 1 : 0)) * unit;
        const SQLLEN piece = room <= 0 ? 0 : std::min(indicator, room);
        const bool cut = piece < indicator;
        if (cut != (rc == SQL_SUCCESS_WITH_INFO) ||
            cut != has_state(SQL_HANDLE_STMT, st, "01004")) {
            fault("a cut value and SQL_SUCCESS_WITH_INFO with 01004 do not go together");
        }
        if (terminated && buffer_length >= unit) {
            const auto at = static_cast<std::size_t>(piece);
            if (buffer[at] != 0 || (unit == 2 && buffer[at + 1] != 0)) {
                fault("SQLGetData left its text without a terminator");
            }
        }
        if (piece == 0 && cut) {
            return; // a buffer with no room never gets further
        }
        left = indicator - piece;
    }
}

struct BoundColumn {
    SQLSMALLINT c_type = SQL_C_CHAR;
    SQLLEN buffer_length = 0;
    std::vector<char> buffer;
    SQLLEN indicator = 0;
};

void read_results(FuzzedDataProvider& in, SQLHSTMT st) {
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(st, &columns)) || columns <= 0) {
        return;
    }
    std::vector<std::unique_ptr<BoundColumn>> bound(static_cast<std::size_t>(columns));
    for (SQLSMALLINT i = 1; i <= columns; ++i) {
        SQLCHAR name[8];
        SQLSMALLINT name_length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLDescribeCol(st, static_cast<SQLUSMALLINT>(i), name, sizeof name, &name_length, &type,
                       &size, &digits, &nullable);
        if (in.ConsumeBool()) {
            auto b = std::make_unique<BoundColumn>();
            b->c_type = in.PickValueInArray(kCTypes);
            b->buffer_length = in.ConsumeIntegralInRange<SQLLEN>(0, 40);
            b->buffer.resize(std::max<std::size_t>(static_cast<std::size_t>(b->buffer_length),
                                                   fixed_size(b->c_type)));
            SQLBindCol(st, static_cast<SQLUSMALLINT>(i), b->c_type, b->buffer.data(),
                       b->buffer_length, &b->indicator);
            bound[static_cast<std::size_t>(i - 1)] = std::move(b);
        }
    }
    for (int row = 0; row < 20; ++row) {
        const SQLRETURN rc = SQLFetch(st);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc)) {
            has_state(SQL_HANDLE_STMT, st, "01004");
            break;
        }
        // A bound text cut to its buffer makes the fetch say so, with 01004.
        bool cut = false;
        for (const auto& b : bound) {
            if (b && b->c_type == SQL_C_CHAR && b->indicator != SQL_NULL_DATA &&
                b->indicator > std::max<SQLLEN>(0, b->buffer_length - 1)) {
                cut = true;
            }
        }
        if (cut && (rc != SQL_SUCCESS_WITH_INFO || !has_state(SQL_HANDLE_STMT, st, "01004"))) {
            fault("a cut column did not give SQL_SUCCESS_WITH_INFO with 01004");
        }
        for (SQLSMALLINT i = 1; i <= columns; ++i) {
            if (!bound[static_cast<std::size_t>(i - 1)] && in.ConsumeBool()) {
                get_data(in, st, static_cast<SQLUSMALLINT>(i));
            }
        }
    }
    SQLCloseCursor(st);
}

// UTF-16 text from the input, lone surrogates and all, as a Unicode client may send it.
std::vector<SQLWCHAR> wide_text(FuzzedDataProvider& in, const std::string& around) {
    const std::string raw = in.ConsumeRandomLengthString(200);
    std::vector<SQLWCHAR> out;
    const std::size_t cut = around.find("%s");
    for (std::size_t i = 0; i < around.size(); ++i) {
        if (i == cut) {
            for (std::size_t j = 0; j + 1 < raw.size(); j += 2) {
                SQLWCHAR unit = 0;
                std::memcpy(&unit, raw.data() + j, sizeof unit);
                out.push_back(unit == u'\'' || unit == 0 ? SQLWCHAR(u'x') : unit);
            }
            ++i;
            continue;
        }
        out.push_back(static_cast<unsigned char>(around[i]));
    }
    return out;
}

// The other entry points that take text from the application: catalog patterns, statement
// text in UTF-16, and SQLNativeSql with short buffers.
void other_entry_points(FuzzedDataProvider& in, SQLHDBC dbc) {
    StatementHandle st(dbc);
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: {
        std::string table = in.ConsumeRandomLengthString(40);
        std::string types = in.ConsumeRandomLengthString(40);
        if (SQL_SUCCEEDED(SQLTables(
                st.handle, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(table.data()),
                static_cast<SQLSMALLINT>(table.size()),
                in.ConsumeBool() ? reinterpret_cast<SQLCHAR*>(types.data()) : nullptr, SQL_NTS))) {
            read_results(in, st.handle);
        }
        break;
    }
    case 1: {
        std::string table = in.ConsumeRandomLengthString(40);
        std::string column = in.ConsumeRandomLengthString(40);
        if (SQL_SUCCEEDED(SQLColumns(st.handle, nullptr, 0, nullptr, 0,
                                     reinterpret_cast<SQLCHAR*>(table.data()), SQL_NTS,
                                     reinterpret_cast<SQLCHAR*>(column.data()),
                                     static_cast<SQLSMALLINT>(column.size())))) {
            read_results(in, st.handle);
        }
        break;
    }
    case 2:
        if (SQL_SUCCEEDED(SQLGetTypeInfo(st.handle, in.ConsumeIntegral<SQLSMALLINT>()))) {
            read_results(in, st.handle);
        }
        break;
    case 3: {
        std::vector<SQLWCHAR> sql = wide_text(
            in, in.ConsumeBool() ? "SELECT code, content FROM phrase WHERE category = '%s'"
                                 : "SELECT '%s' AS echo, PhraseID FROM phrase");
        if (SQL_SUCCEEDED(
                SQLExecDirectW(st.handle, sql.data(), static_cast<SQLINTEGER>(sql.size())))) {
            SQLWCHAR name[4];
            SQLSMALLINT length = 0;
            SQLSMALLINT type = 0;
            SQLULEN size = 0;
            SQLSMALLINT digits = 0;
            SQLSMALLINT nullable = 0;
            SQLDescribeColW(st.handle, 1, name, static_cast<SQLSMALLINT>(std::size(name)), &length,
                            &type, &size, &digits, &nullable);
            read_results(in, st.handle);
        } else {
            SQLWCHAR state[6];
            SQLWCHAR text[16];
            SQLINTEGER native = 0;
            SQLSMALLINT length = 0;
            SQLGetDiagRecW(SQL_HANDLE_STMT, st.handle, 1, state, &native, text,
                           static_cast<SQLSMALLINT>(std::size(text)), &length);
        }
        break;
    }
    default: {
        // What comes back is the text as given, cut to the buffer with 01004.
        std::string sql = in.ConsumeRandomLengthString(200);
        const std::string expected = sql.substr(0, sql.find('\0'));
        const SQLINTEGER out_max = in.ConsumeIntegralInRange<SQLINTEGER>(0, 64);
        std::vector<SQLCHAR> out(static_cast<std::size_t>(std::max<SQLINTEGER>(out_max, 1)));
        SQLINTEGER out_length = -1;
        const SQLRETURN rc =
            SQLNativeSql(dbc, reinterpret_cast<SQLCHAR*>(sql.data()),
                         static_cast<SQLINTEGER>(sql.size()), out.data(), out_max, &out_length);
        const bool cut = out_max > 0 && expected.size() >= static_cast<std::size_t>(out_max);
        if (!SQL_SUCCEEDED(rc) || out_length != static_cast<SQLINTEGER>(expected.size()) ||
            cut != (rc == SQL_SUCCESS_WITH_INFO) ||
            cut != has_state(SQL_HANDLE_DBC, dbc, "01004")) {
            fault("SQLNativeSql did not give the text back as it should");
        }
        if (out_max > 0) {
            const std::size_t n = std::min(expected.size(), static_cast<std::size_t>(out_max - 1));
            if (std::memcmp(out.data(), expected.data(), n) != 0 || out[n] != 0) {
                fault("SQLNativeSql wrote something else than the text");
            }
        }
        break;
    }
    }
}

// Reads a text column of the current row through SQLGetData in pieces of `piece` bytes.
std::string read_text(SQLHSTMT st, SQLUSMALLINT column, SQLLEN piece) {
    std::string out;
    std::vector<char> buffer(static_cast<std::size_t>(piece));
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(st, column, SQL_C_CHAR, buffer.data(), piece, &indicator);
        if (rc == SQL_NO_DATA) {
            return out;
        }
        if (!SQL_SUCCEEDED(rc) || indicator < 0) {
            fault("a stored text could not be read back");
        }
        const std::size_t got = std::min<std::size_t>(static_cast<std::size_t>(indicator),
                                                      static_cast<std::size_t>(piece - 1));
        out.append(buffer.data(), got);
        if (rc == SQL_SUCCESS) {
            return out;
        }
    }
}

// A phrase added the way the library tool adds one comes back byte for byte, read in short
// pieces; a category or shortcut over 255 bytes is refused, never cut.
void round_trip(FuzzedDataProvider& in, SQLHDBC dbc) {
    std::string values[3];
    for (std::string& v : values) {
        v = in.ConsumeRandomLengthString(400);
    }
    StatementHandle insert(dbc);
    char sql[] = "INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)";
    SQLPrepare(insert.handle, reinterpret_cast<SQLCHAR*>(sql), SQL_NTS);
    SQLLEN indicators[3];
    for (int i = 0; i < 3; ++i) {
        indicators[i] = static_cast<SQLLEN>(values[i].size());
        SQLBindParameter(insert.handle, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                         SQL_C_CHAR, i == 2 ? SQL_LONGVARCHAR : SQL_VARCHAR,
                         std::max<SQLULEN>(values[i].size(), 1), 0, values[i].data(), indicators[i],
                         &indicators[i]);
    }
    const SQLRETURN rc = SQLExecute(insert.handle);
    const bool fits = values[0].size() <= 255 && values[1].size() <= 255;
    if (SQL_SUCCEEDED(rc) != fits) {
        fault(fits ? "a phrase that fits was refused"
                   : "a category or shortcut over 255 bytes "
                     "was stored");
    }
    if (!fits) {
        if (!has_state(SQL_HANDLE_STMT, insert.handle, "22001")) {
            fault("a value too long was refused without 22001");
        }
        return;
    }
    StatementHandle select(dbc);
    char query[] = "SELECT category, code, content FROM phrase WHERE PhraseID = "
                   "(SELECT MAX(PhraseID) FROM phrase)";
    if (!SQL_SUCCEEDED(SQLExecDirect(select.handle, reinterpret_cast<SQLCHAR*>(query), SQL_NTS)) ||
        !SQL_SUCCEEDED(SQLFetch(select.handle))) {
        fault("the phrase just added cannot be found");
    }
    const SQLLEN piece = in.ConsumeIntegralInRange<SQLLEN>(2, 64);
    for (int i = 0; i < 3; ++i) {
        // A NUL byte ends a C string wherever the text goes next; only the rest must survive.
        const std::string expected = values[i].substr(0, values[i].find('\0'));
        std::string got = read_text(select.handle, static_cast<SQLUSMALLINT>(i + 1), piece);
        got = got.substr(0, got.find('\0'));
        if (got != expected) {
            fault("a phrase did not come back byte for byte");
        }
    }
}

SQLLEN count_phrases(SQLHDBC dbc) {
    StatementHandle st(dbc);
    SQLBIGINT n = -1;
    SQLLEN ind = 0;
    char sql[] = "SELECT COUNT(*) FROM phrase";
    if (!SQL_SUCCEEDED(SQLExecDirect(st.handle, reinterpret_cast<SQLCHAR*>(sql), SQL_NTS)) ||
        !SQL_SUCCEEDED(SQLFetch(st.handle)) ||
        !SQL_SUCCEEDED(SQLGetData(st.handle, 1, SQL_C_SBIGINT, &n, 0, &ind))) {
        fault("cannot count the phrases");
    }
    return static_cast<SQLLEN>(n);
}

void run_statement(FuzzedDataProvider& in, SQLHDBC dbc) {
    const StatementText& text =
        kStatements[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kStatements) - 1)];
    // Several sets of values at once (as a client's executemany sends them), now and then.
    const std::size_t sets =
        in.ConsumeIntegralInRange(0, 5) == 0 ? in.ConsumeIntegralInRange(2, 4) : 1;
    std::vector<SQLUSMALLINT> statuses(sets, 0xFFFF);
    SQLULEN processed = 0;
    std::vector<std::unique_ptr<Parameter>> parameters;
    StatementHandle st(dbc);
    SQLRETURN rc = SQL_ERROR;
    if (text.literal) {
        std::string sql = literal_statement(in, text);
        rc = SQLExecDirect(st.handle, reinterpret_cast<SQLCHAR*>(sql.data()),
                           static_cast<SQLINTEGER>(sql.size()));
    } else {
        const bool prepare = in.ConsumeBool();
        std::string sql = text.sql;
        if (prepare &&
            SQL_SUCCEEDED(SQLPrepare(st.handle, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) {
            SQLSMALLINT markers = -1;
            if (!SQL_SUCCEEDED(SQLNumParams(st.handle, &markers)) || markers != text.parameters) {
                fault("SQLNumParams miscounted the markers");
            }
            for (SQLUSMALLINT i = 1; i <= markers + 1; ++i) {
                SQLSMALLINT type = 0;
                SQLULEN size = 0;
                SQLSMALLINT digits = 0;
                SQLSMALLINT nullable = 0;
                SQLDescribeParam(st.handle, i, &type, &size, &digits, &nullable);
            }
        }
        if (sets > 1) {
            SQLSetStmtAttr(st.handle, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(sets),
                           0);
            SQLSetStmtAttr(st.handle, SQL_ATTR_PARAM_STATUS_PTR, statuses.data(), 0);
            SQLSetStmtAttr(st.handle, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
        }
        // Sometimes one parameter too few: the statement must refuse to run.
        const int bind =
            text.parameters - (text.parameters > 0 && in.ConsumeIntegralInRange(0, 7) == 0 ? 1 : 0);
        for (int i = 1; i <= bind; ++i) {
            parameters.push_back(std::make_unique<Parameter>());
            bind_parameter(in, st.handle, static_cast<SQLUSMALLINT>(i), *parameters.back(), sets);
        }
        const bool insert = std::strncmp(text.sql, "INSERT", 6) == 0;
        const SQLLEN before = sets > 1 && insert ? count_phrases(dbc) : 0;
        rc = prepare ? SQLExecute(st.handle)
                     : SQLExecDirect(st.handle, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
        if (bind < text.parameters && SQL_SUCCEEDED(rc)) {
            fault("a statement ran with a parameter unbound");
        }
        if (sets > 1 && insert) {
            // An array of values is saved whole or not at all.
            const SQLLEN added = count_phrases(dbc) - before;
            if (added != (SQL_SUCCEEDED(rc) ? static_cast<SQLLEN>(sets) : 0)) {
                fault("an array of values was saved in part");
            }
            if (SQL_SUCCEEDED(rc)) {
                for (SQLUSMALLINT status : statuses) {
                    if (status != SQL_PARAM_SUCCESS) {
                        fault("a saved set of values is not marked as saved");
                    }
                }
                if (processed != sets) {
                    fault("not every set of values was counted as processed");
                }
            }
        }
    }
    has_state(SQL_HANDLE_STMT, st.handle, "01004");
    if (SQL_SUCCEEDED(rc)) {
        SQLLEN count = 0;
        SQLRowCount(st.handle, &count);
        read_results(in, st.handle);
    }
}

struct Library {
    ScratchLibrary file{BREVICOR_NEWLIB, BREVICOR_SCHEMA_SQL};
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLLEN rows = 0; // phrases every input starts from

    Library() {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)) ||
            !SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                         reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
            !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
            fault("cannot allocate the handles");
        }
        std::string in = "DBQ=" + file.path() + ";DRIVER={Microsoft Access Driver (*.mdb)}";
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                                            SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
            fault("cannot connect to the scratch library");
        }
        // A few phrases for the reads to find: accented and high bytes, an apostrophe
        // marker, a long text, numbers held as text.
        const char* seed[] = {
            "INSERT INTO phrase (category, code, content) VALUES ('Greetings', 'hi', 'Hello "
            "there')",
            "INSERT INTO phrase (category, code, content) VALUES ('\xC9tudes', 'caf\xE9', "
            "'Caf\xE9 \x80 \xAC\x60s')",
            "INSERT INTO phrase (category, code, content) VALUES ('greetings', 'sig', "
            "'Kind regards,\r\n-- \r\nA long signature line that no short buffer holds')",
            "INSERT INTO phrase (category, code, content) VALUES ('Numbers', '42', '1e300')",
            "INSERT INTO phrase (category, code, content) VALUES ('Numbers', '-7', NULL)",
        };
        for (const char* sql : seed) {
            exec(sql);
        }
        rows = count();
        if (!SQL_SUCCEEDED(SQLSetConnectAttr(
                dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
            fault("cannot switch to manual commit");
        }
    }

    ~Library() {
        SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }

    void exec(const char* sql) {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
        if (!SQL_SUCCEEDED(
                SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS))) {
            fault("a set-up statement failed");
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }

    SQLLEN count() const { return count_phrases(dbc); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Library library;
    FuzzedDataProvider in(data, size);
    const int statements = in.ConsumeIntegralInRange(1, 6);
    for (int i = 0; i < statements && in.remaining_bytes() > 0; ++i) {
        switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0:
        case 1:
            round_trip(in, library.dbc);
            break;
        case 2:
            other_entry_points(in, library.dbc);
            break;
        default:
            run_statement(in, library.dbc);
            break;
        }
    }
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, library.dbc, SQL_ROLLBACK))) {
        fault("the rollback failed");
    }
    if (library.count() != library.rows) {
        fault("the rollback did not restore the phrases");
    }
    return 0;
}
