#include "dialog_driver.h"

#include "framework/message_box.h"
#include "tests/wine/app/modal_probe.h"
#include "tests/wine/lists/library_sql.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

namespace brevicor::testing {

namespace {

constexpr char kConnection[] = "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";
constexpr int kBoxIconId = 0x0440; // the message box's icon control (stc1)
constexpr int kBoxTextId = 0xFFFF; // the message box's text control

struct CaptionSearch {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK FindByCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    char cls[16] = {};
    char text[256] = {};
    GetClassNameA(window, cls, sizeof(cls));
    GetWindowTextA(window, text, sizeof(text));
    if (IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0 && *search->caption == text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

UINT IconKind(HWND box) {
    auto shown = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kBoxIconId, STM_GETICON, 0, 0));
    const struct {
        LPCSTR resource;
        UINT kind;
    } kinds[] = {{IDI_WARNING, MB_ICONWARNING},
                 {IDI_INFORMATION, MB_ICONINFORMATION},
                 {IDI_QUESTION, MB_ICONQUESTION}};
    for (const auto& k : kinds) {
        if (shown != nullptr && shown == LoadIconA(nullptr, k.resource)) {
            return k.kind;
        }
    }
    return 0;
}

bool ExecOn(SQLHDBC dbc, const std::string& sql) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    std::string text = sql;
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                                 static_cast<SQLINTEGER>(text.size()));
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return SQL_SUCCEEDED(rc);
}

} // namespace

// A connection of the test's own to database/phrases.mdb, closed with the object.
struct LibraryConnection {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    LibraryConnection() {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        std::string text = kConnection;
        connected =
            SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                           SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
    }
    ~LibraryConnection() {
        if (connected) {
            SQLDisconnect(dbc);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    LibraryConnection(const LibraryConnection&) = delete;
    LibraryConnection& operator=(const LibraryConnection&) = delete;
};

Scenario& Scenario::Then(Step step) {
    m_steps.push_back(std::move(step));
    return *this;
}

void Scenario::Run(const std::function<void()>& trigger) {
    ModalProbe probe([this] {
        if (m_next < m_steps.size() && m_steps[m_next]()) {
            ++m_next;
        }
        return m_next == m_steps.size();
    });
    trigger();
    m_timedOut = probe.TimedOut();
}

HWND FindDialog(const std::string& caption) {
    CaptionSearch search{&caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindByCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Step OnDialog(const std::string& caption, std::function<void(HWND)> act) {
    return [caption, act = std::move(act)] {
        HWND dialog = FindDialog(caption);
        if (dialog == nullptr || !IsWindowEnabled(dialog)) {
            return false;
        }
        act(dialog);
        return true;
    };
}

Step AnswerBox(BoxSeen& seen, int button) {
    return [&seen, button] {
        HWND box = FindDialog(ApplicationName());
        if (box == nullptr) {
            return false;
        }
        seen.shown = true;
        seen.text = Text(box, kBoxTextId);
        seen.icon = IconKind(box);
        seen.buttons = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr
                           ? MB_YESNO
                           : MB_OK;
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
        return true;
    };
}

void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Type(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}

void Choose(HWND dialog, int comboId, int index) {
    HWND combo = GetDlgItem(dialog, comboId);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // What the combo box tells its dialog when the user picks an item.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void PressEnterIn(HWND dialog, int id) {
    SetFocus(GetDlgItem(dialog, id));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
}

std::string Text(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    int copied = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::vector<std::string> Items(HWND dialog, int comboId) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendDlgItemMessageA(dialog, comboId, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        SendDlgItemMessageA(dialog, comboId, CB_GETLBTEXT, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::string Selected(HWND dialog, int comboId) {
    auto index = SendDlgItemMessageA(dialog, comboId, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return "(none)";
    }
    return Items(dialog, comboId).at(static_cast<size_t>(index));
}

void PrintTo(const Row& row, std::ostream* out) {
    std::string content =
        row.content.size() > 40
            ? row.content.substr(0, 40) + "... (" + std::to_string(row.content.size()) + " bytes)"
            : row.content;
    *out << "{" << row.category << " | " << row.code.substr(0, 40)
         << (row.code.size() > 40 ? "... (" + std::to_string(row.code.size()) + " bytes)" : "")
         << " | " << content << "}";
}

std::vector<Row> LibraryRows() {
    std::vector<Row> rows;
    LibraryConnection handles;
    if (!handles.connected) {
        ADD_FAILURE() << "the test's own connection failed";
        return rows;
    }
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles.dbc, &stmt);
    std::string sql = "SELECT category, code, content FROM phrase ORDER BY PhraseID";
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) {
        ADD_FAILURE() << "the library could not be read";
    } else {
        static char columns[3][20000];
        SQLLEN lengths[3] = {};
        for (SQLUSMALLINT c = 0; c < 3; ++c) {
            SQLBindCol(stmt, c + 1, SQL_C_CHAR, columns[c], sizeof(columns[c]), &lengths[c]);
        }
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            auto value = [&](int c) {
                return lengths[c] > 0 ? std::string(columns[c], static_cast<size_t>(lengths[c]))
                                      : std::string();
            };
            rows.push_back({value(0), value(1), value(2)});
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return rows;
}

void InsertRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        ExecLibrarySql("INSERT INTO phrase (category, code, content) VALUES (" +
                       SqlText(row.category) + ", " + SqlText(row.code) + ", " +
                       SqlText(row.content) + ")");
    }
}

LibraryLock::LibraryLock() : m_connection(std::make_unique<LibraryConnection>()) {
    m_held = m_connection->connected && ExecOn(m_connection->dbc, "BEGIN EXCLUSIVE");
}

LibraryLock::~LibraryLock() {
    if (m_held) {
        ExecOn(m_connection->dbc, "ROLLBACK");
    }
}

} // namespace brevicor::testing
