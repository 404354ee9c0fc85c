// Allocating and freeing handles, and the environment's attributes.
#include "driver/odbc/OdbcApi.h"

#include <algorithm>

#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

SQLRETURN AllocConnection(Environment& env, SQLHANDLE* out) {
    *out = new Connection(&env);
    return SQL_SUCCESS;
}

SQLRETURN AllocStatement(Connection& dbc, SQLHANDLE* out) {
    if (!dbc.connected) throw OdbcError("08003", "Connection not open");
    auto* stmt = new Statement(&dbc);
    dbc.statements.push_back(stmt);
    *out = stmt;
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    if (output == nullptr) return SQL_ERROR;
    *output = SQL_NULL_HANDLE;
    switch (type) {
        case SQL_HANDLE_ENV:
            try {
                *output = new Environment();
                return SQL_SUCCESS;
            } catch (...) {
                return SQL_ERROR;
            }
        case SQL_HANDLE_DBC:
            return Guard<Environment>(input, HandleKind::kEnv, [&](Environment& env) -> SQLRETURN {
                return AllocConnection(env, output);
            });
        case SQL_HANDLE_STMT:
            return Guard<Connection>(input, HandleKind::kDbc, [&](Connection& dbc) -> SQLRETURN {
                return AllocStatement(dbc, output);
            });
        case SQL_HANDLE_DESC:
            return Guard<Connection>(input, HandleKind::kDbc, [&](Connection& dbc) -> SQLRETURN {
                return RecordError(dbc, "HYC00", "Explicit descriptors are not supported");
            });
        default:
            return SQL_ERROR;
    }
}

// Not through Guard: the handle is gone when the call returns, so no diagnostic could
// be kept on it; the driver manager checks the sequence rules before calling.
SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    switch (type) {
        case SQL_HANDLE_ENV:
            if (auto* env = CastHandle<Environment>(handle, HandleKind::kEnv)) {
                delete env;
                return SQL_SUCCESS;
            }
            return SQL_INVALID_HANDLE;
        case SQL_HANDLE_DBC:
            if (auto* dbc = CastHandle<Connection>(handle, HandleKind::kDbc)) {
                if (dbc->connected) return SQL_ERROR;
                delete dbc;
                return SQL_SUCCESS;
            }
            return SQL_INVALID_HANDLE;
        case SQL_HANDLE_STMT:
            if (auto* stmt = CastHandle<Statement>(handle, HandleKind::kStmt)) {
                auto& list = stmt->dbc->statements;
                list.erase(std::remove(list.begin(), list.end(), stmt), list.end());
                delete stmt;
                return SQL_SUCCESS;
            }
            return SQL_INVALID_HANDLE;
        default:
            return SQL_INVALID_HANDLE;
    }
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER) {
    return Guard<Environment>(handle, HandleKind::kEnv, [&](Environment& env) -> SQLRETURN {
        const auto number = static_cast<SQLINTEGER>(reinterpret_cast<SQLLEN>(value));
        switch (attribute) {
            case SQL_ATTR_ODBC_VERSION:
                env.odbc_version = number;
                return SQL_SUCCESS;
            case SQL_ATTR_OUTPUT_NTS:
                if (number == SQL_TRUE) return SQL_SUCCESS;
                return RecordError(env, "HYC00", "Strings are always NUL-terminated");
            default:
                return RecordError(env, "HY092", "Invalid attribute " + std::to_string(attribute));
        }
    });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                SQLINTEGER* length) {
    return Guard<Environment>(handle, HandleKind::kEnv, [&](Environment& env) -> SQLRETURN {
        SQLINTEGER out;
        switch (attribute) {
            case SQL_ATTR_ODBC_VERSION:
                out = env.odbc_version;
                break;
            case SQL_ATTR_OUTPUT_NTS:
                out = SQL_TRUE;
                break;
            default:
                return RecordError(env, "HY092", "Invalid attribute " + std::to_string(attribute));
        }
        if (value != nullptr) *static_cast<SQLINTEGER*>(value) = out;
        if (length != nullptr) *length = sizeof out;
        return SQL_SUCCESS;
    });
}

}  // extern "C"
