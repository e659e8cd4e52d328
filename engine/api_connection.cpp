// Environment and connection entry points.
#include "api_support.hpp"
#include "connection_string.hpp"
#include "library.hpp"
#include "transaction.hpp"

#include <odbcinst.h>

#include <mutex>

using namespace brevicor::engine;

namespace {

// Environments have no parent handle; they live here so that every handle has an owner.
std::mutex g_env_mutex;
std::list<std::unique_ptr<Environment>> g_environments;

template <typename T, typename Owner>
bool erase_owned(std::list<std::unique_ptr<T>>& owned, Owner* object) {
    const auto it = std::find_if(owned.begin(), owned.end(),
                                 [object](const auto& p) { return p.get() == object; });
    if (it == owned.end()) {
        return false;
    }
    owned.erase(it);
    return true;
}

std::string profile_value(const std::string& dsn, const char* key) {
    char buf[1024] = {};
    SQLGetPrivateProfileString(dsn.c_str(), key, "", buf, sizeof buf, "odbc.ini");
    return buf;
}

SQLRETURN connect_library(Connection& c, std::string path, const std::string& default_dir) {
    if (c.db) {
        return c.diag.error("08002", "Connection name in use.");
    }
    path = normalise_library_path(path);
    if (!path.empty() && path[0] != '/' && !default_dir.empty()) {
        path = normalise_library_path(default_dir) + "/" + path;
    }
    SqlFailure failure;
    SqliteDb db = open_existing_library(path, failure);
    if (!db) {
        return c.diag.error(failure.sqlstate, failure.message, failure.native);
    }
    c.db = std::move(db);
    c.path = path;
    return SQL_SUCCESS;
}

// Library path from a parsed connection string, falling back to the DSN's odbc.ini entry.
std::pair<std::string, std::string> library_from(const std::map<std::string, std::string>& kv) {
    auto get = [&kv](const char* key) {
        const auto it = kv.find(key);
        return it == kv.end() ? std::string() : it->second;
    };
    std::string dbq = get("DBQ");
    std::string dir = get("DEFAULTDIR");
    const std::string dsn = get("DSN");
    if (dbq.empty() && !dsn.empty()) {
        dbq = profile_value(dsn, "DBQ");
        if (dir.empty()) {
            dir = profile_value(dsn, "DefaultDir");
        }
    }
    return {dbq, dir};
}

std::map<SQLINTEGER, SQLULEN> default_connection_attributes() {
    return {{SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_ON},
            {SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_WRITE},
            {SQL_ATTR_LOGIN_TIMEOUT, 0},
            {SQL_ATTR_CONNECTION_TIMEOUT, 0},
            {SQL_ATTR_TXN_ISOLATION, SQL_TXN_READ_COMMITTED},
            {SQL_ATTR_ODBC_CURSORS, SQL_CUR_USE_DRIVER},
            {SQL_ATTR_PACKET_SIZE, 0},
            {SQL_ATTR_ANSI_APP, SQL_AA_TRUE},
            {SQL_ATTR_QUIET_MODE, 0},
            {SQL_ATTR_TRACE, SQL_OPT_TRACE_OFF},
            {SQL_ATTR_METADATA_ID, SQL_FALSE},
            {SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_OFF},
            {SQL_ATTR_AUTO_IPD, SQL_FALSE}};
}

} // namespace

Statement::Statement(Connection* owner)
    : dbc(owner), attrs{{SQL_ATTR_ROW_ARRAY_SIZE, 1},
                        {SQL_ROWSET_SIZE, 1},
                        {SQL_ATTR_ROWS_FETCHED_PTR, 0},
                        {SQL_ATTR_ROW_STATUS_PTR, 0},
                        {SQL_ATTR_ROW_BIND_OFFSET_PTR, 0},
                        {SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN},
                        {SQL_ATTR_ROW_OPERATION_PTR, 0},
                        {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY},
                        {SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY},
                        {SQL_ATTR_CURSOR_SCROLLABLE, SQL_NONSCROLLABLE},
                        {SQL_ATTR_CURSOR_SENSITIVITY, SQL_INSENSITIVE},
                        {SQL_ATTR_MAX_ROWS, 0},
                        {SQL_ATTR_MAX_LENGTH, 0},
                        {SQL_ATTR_QUERY_TIMEOUT, 0},
                        {SQL_ATTR_NOSCAN, SQL_NOSCAN_OFF},
                        {SQL_ATTR_RETRIEVE_DATA, SQL_RD_ON},
                        {SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_OFF},
                        {SQL_ATTR_USE_BOOKMARKS, SQL_UB_OFF},
                        {SQL_ATTR_KEYSET_SIZE, 0},
                        {SQL_ATTR_SIMULATE_CURSOR, SQL_SC_UNIQUE},
                        {SQL_ATTR_ENABLE_AUTO_IPD, SQL_FALSE},
                        {SQL_ATTR_METADATA_ID, SQL_FALSE},
                        {SQL_ATTR_PARAMSET_SIZE, 1},
                        {SQL_ATTR_PARAMS_PROCESSED_PTR, 0},
                        {SQL_ATTR_PARAM_STATUS_PTR, 0},
                        {SQL_ATTR_PARAM_BIND_TYPE, SQL_PARAM_BIND_BY_COLUMN},
                        {SQL_ATTR_PARAM_BIND_OFFSET_PTR, 0},
                        {SQL_ATTR_PARAM_OPERATION_PTR, 0}} {}

// Exported entry points; everything else in the driver is hidden.
#pragma GCC visibility push(default)
extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    if (output == nullptr) {
        return SQL_ERROR;
    }
    *output = SQL_NULL_HANDLE;
    try {
        switch (type) {
        case SQL_HANDLE_ENV: {
            const std::lock_guard lock(g_env_mutex);
            g_environments.push_back(std::make_unique<Environment>());
            *output = g_environments.back().get();
            return SQL_SUCCESS;
        }
        case SQL_HANDLE_DBC:
            return enter<Environment>(input, [&](Environment& env) -> SQLRETURN {
                env.connections.push_back(std::make_unique<Connection>(&env));
                env.connections.back()->attrs = default_connection_attributes();
                *output = env.connections.back().get();
                return SQL_SUCCESS;
            });
        case SQL_HANDLE_STMT:
            return enter<Connection>(input, [&](Connection& c) -> SQLRETURN {
                if (!c.db) {
                    return c.diag.error("08003", "Connection not open.");
                }
                c.statements.push_back(std::make_unique<Statement>(&c));
                *output = c.statements.back().get();
                return SQL_SUCCESS;
            });
        case SQL_HANDLE_DESC:
            return enter<Connection>(input, [](Connection& c) -> SQLRETURN {
                return c.diag.error("HYC00", "Explicit descriptors are not supported.");
            });
        default:
            return SQL_ERROR;
        }
    } catch (const std::bad_alloc&) {
        return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (handle == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    switch (type) {
    case SQL_HANDLE_ENV: {
        const std::lock_guard lock(g_env_mutex);
        return erase_owned(g_environments, static_cast<Environment*>(handle)) ? SQL_SUCCESS
                                                                              : SQL_INVALID_HANDLE;
    }
    case SQL_HANDLE_DBC: {
        auto* c = static_cast<Connection*>(handle);
        Environment* env = c->env;
        const std::lock_guard env_lock(env->mutex);
        {
            const std::lock_guard lock(c->mutex);
            if (c->db) {
                c->diag.clear();
                return c->diag.error("HY010", "Disconnect before freeing the connection.");
            }
        }
        return erase_owned(env->connections, c) ? SQL_SUCCESS : SQL_INVALID_HANDLE;
    }
    case SQL_HANDLE_STMT: {
        auto* st = static_cast<Statement*>(handle);
        Connection* c = st->dbc;
        const std::lock_guard lock(c->mutex);
        return erase_owned(c->statements, st) ? SQL_SUCCESS : SQL_INVALID_HANDLE;
    }
    default:
        return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    return enter<Environment>(env, [&](Environment& e) -> SQLRETURN {
        switch (attribute) {
        case SQL_ATTR_ODBC_VERSION:
            e.odbc_version = static_cast<SQLINTEGER>(reinterpret_cast<SQLLEN>(value));
            return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_POOLING:
        case SQL_ATTR_CP_MATCH:
        case SQL_ATTR_OUTPUT_NTS:
            return SQL_SUCCESS;
        default:
            return e.diag.error("HY092", "Invalid attribute/option identifier.");
        }
    });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                SQLINTEGER* length) {
    return enter<Environment>(env, [&](Environment& e) -> SQLRETURN {
        SQLINTEGER answer = 0;
        switch (attribute) {
        case SQL_ATTR_ODBC_VERSION:
            answer = e.odbc_version;
            break;
        case SQL_ATTR_CONNECTION_POOLING:
            answer = SQL_CP_OFF;
            break;
        case SQL_ATTR_CP_MATCH:
            answer = SQL_CP_STRICT_MATCH;
            break;
        case SQL_ATTR_OUTPUT_NTS:
            answer = SQL_TRUE;
            break;
        default:
            return e.diag.error("HY092", "Invalid attribute/option identifier.");
        }
        if (value != nullptr) {
            std::memcpy(value, &answer, sizeof answer);
        }
        if (length != nullptr) {
            *length = sizeof answer;
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLConnect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsn_length, SQLCHAR*,
                             SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        const std::string name = text_argument(dsn, dsn_length);
        const auto [dbq, dir] = library_from({{"DSN", name}});
        if (dbq.empty()) {
            return c.diag.error("08001",
                                "The data source '" + name + "' names no library file (DBQ).");
        }
        c.connect_string = "DSN=" + name;
        return connect_library(c, dbq, dir);
    });
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND, SQLCHAR* in, SQLSMALLINT in_length,
                                   SQLCHAR* out, SQLSMALLINT out_max, SQLSMALLINT* out_length,
                                   SQLUSMALLINT) {
    // Every completion mode behaves as SQL_DRIVER_NOPROMPT: the driver has no dialog.
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        const std::string text = text_argument(in, in_length);
        const auto [dbq, dir] = library_from(parse_connection_string(text));
        if (dbq.empty()) {
            return c.diag.error("08001", "No library file given (DBQ is missing or empty).");
        }
        const SQLRETURN rc = connect_library(c, dbq, dir);
        if (rc != SQL_SUCCESS) {
            return rc;
        }
        c.connect_string = text;
        return write_text(text, out, out_max, out_length, c.diag);
    });
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    return enter<Connection>(dbc, [](Connection& c) -> SQLRETURN {
        if (!c.db) {
            return c.diag.error("08003", "Connection not open.");
        }
        if (transaction_open(c)) {
            // Nothing is rolled back behind the application's back.
            return c.diag.error("25000", "Invalid transaction state: commit or roll back the "
                                         "open transaction before disconnecting.");
        }
        c.statements.clear();
        c.db.reset();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER) {
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        const auto number = static_cast<SQLULEN>(reinterpret_cast<SQLLEN>(value));
        if (attribute == SQL_ATTR_CURRENT_CATALOG) {
            return SQL_SUCCESS; // a library file has a single catalog
        }
        if (attribute == SQL_ATTR_AUTOCOMMIT) {
            return set_autocommit(c, number);
        }
        if (attribute == SQL_ATTR_TXN_ISOLATION) {
            return set_isolation(c, number);
        }
        if (attribute == SQL_ATTR_AUTO_IPD || attribute == SQL_ATTR_CONNECTION_DEAD) {
            return c.diag.error("HY092", "The attribute is read-only.");
        }
        const auto it = c.attrs.find(attribute);
        if (it == c.attrs.end()) {
            return c.diag.error("HY092", "Invalid attribute/option identifier.");
        }
        it->second = number;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER buffer_length, SQLINTEGER* length) {
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        if (attribute == SQL_ATTR_CURRENT_CATALOG) {
            return write_text("", value, buffer_length, length, c.diag);
        }
        SQLULEN answer = 0;
        if (attribute == SQL_ATTR_CONNECTION_DEAD) {
            answer = c.db ? SQL_CD_FALSE : SQL_CD_TRUE;
        } else {
            const auto it = c.attrs.find(attribute);
            if (it == c.attrs.end()) {
                return c.diag.error("HY092", "Invalid attribute/option identifier.");
            }
            answer = it->second;
        }
        // Integer connection attributes are 32-bit; only the window handle is pointer sized.
        if (attribute == SQL_ATTR_QUIET_MODE) {
            if (value != nullptr) {
                std::memcpy(value, &answer, sizeof answer);
            }
        } else if (value != nullptr) {
            const auto small = static_cast<SQLUINTEGER>(answer);
            std::memcpy(value, &small, sizeof small);
        }
        if (length != nullptr) {
            *length = attribute == SQL_ATTR_QUIET_MODE ? sizeof(SQLULEN) : sizeof(SQLUINTEGER);
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    if (type == SQL_HANDLE_DBC) {
        return enter<Connection>(
            handle, [&](Connection& c) -> SQLRETURN { return end_transaction(c, completion); });
    }
    if (type == SQL_HANDLE_ENV) {
        return enter<Environment>(handle, [&](Environment& e) -> SQLRETURN {
            SQLRETURN rc = SQL_SUCCESS;
            for (auto& c : e.connections) {
                const std::lock_guard lock(c->mutex);
                c->diag.clear();
                if (end_transaction(*c, completion) != SQL_SUCCESS) {
                    rc = e.diag.error("25S03", "Transaction is rolled back or failed on a "
                                               "connection.");
                }
            }
            return rc;
        });
    }
    return SQL_ERROR;
}

} // extern "C"
#pragma GCC visibility pop
