// What the driver tells about itself. SQLGetFunctions lists exactly the entry points
// this library defines: the driver manager trusts it over the exported symbols.
#include "driver/odbc/OdbcApi.h"

#include <algorithm>
#include <variant>

#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

constexpr SQLUSMALLINT kFunctions[] = {
    SQL_API_SQLALLOCHANDLE,    SQL_API_SQLFREEHANDLE,     SQL_API_SQLSETENVATTR,
    SQL_API_SQLGETENVATTR,     SQL_API_SQLCONNECT,        SQL_API_SQLDRIVERCONNECT,
    SQL_API_SQLDISCONNECT,     SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR,
    SQL_API_SQLENDTRAN,        SQL_API_SQLGETINFO,        SQL_API_SQLGETFUNCTIONS,
    SQL_API_SQLEXECDIRECT,     SQL_API_SQLPREPARE,        SQL_API_SQLEXECUTE,
    SQL_API_SQLNUMPARAMS,      SQL_API_SQLNUMRESULTCOLS,  SQL_API_SQLDESCRIBECOL,
    SQL_API_SQLCOLATTRIBUTE,   SQL_API_SQLROWCOUNT,       SQL_API_SQLMORERESULTS,
    SQL_API_SQLCLOSECURSOR,    SQL_API_SQLFREESTMT,       SQL_API_SQLCANCEL,
    SQL_API_SQLSETSTMTATTR,    SQL_API_SQLGETSTMTATTR,    SQL_API_SQLBINDCOL,
    SQL_API_SQLFETCH,          SQL_API_SQLFETCHSCROLL,    SQL_API_SQLGETDATA,
    SQL_API_SQLGETDIAGREC,     SQL_API_SQLGETDIAGFIELD,   SQL_API_SQLTABLES,
    SQL_API_SQLCOLUMNS,        SQL_API_SQLGETTYPEINFO,    SQL_API_SQLEXTENDEDFETCH,
    SQL_API_SQLPRIMARYKEYS,    SQL_API_SQLFOREIGNKEYS,    SQL_API_SQLSTATISTICS,
    SQL_API_SQLSPECIALCOLUMNS, SQL_API_SQLBINDPARAMETER,  SQL_API_SQLDESCRIBEPARAM,
    SQL_API_SQLPARAMDATA,      SQL_API_SQLPUTDATA,
};

bool Implemented(SQLUSMALLINT id) {
    return std::find(std::begin(kFunctions), std::end(kFunctions), id) != std::end(kFunctions);
}

using InfoValue = std::variant<std::string, SQLUSMALLINT, SQLUINTEGER>;

std::optional<InfoValue> TextInfo(const Connection& dbc, SQLUSMALLINT type) {
    switch (type) {
        case SQL_DRIVER_NAME:
            return std::string("libkestrixdbf.so");
        case SQL_DRIVER_VER:
            return std::string("01.00.0002");
        case SQL_DRIVER_ODBC_VER:
            return std::string("03.00");
        case SQL_ODBC_VER:
            return std::string("03.00.0000");
        case SQL_DBMS_NAME:
            return std::string("dBase");
        case SQL_DBMS_VER:
            return std::string("03.00.0000");
        case SQL_DATA_SOURCE_NAME:
            return dbc.dsn;
        case SQL_SERVER_NAME:
            return std::string();
        case SQL_DATABASE_NAME:
            return dbc.folder;
        case SQL_USER_NAME:
            return std::string();
        case SQL_DATA_SOURCE_READ_ONLY:
            return std::string("Y");
        case SQL_ACCESSIBLE_TABLES:
            return std::string("Y");
        case SQL_ACCESSIBLE_PROCEDURES:
        case SQL_PROCEDURES:
            return std::string("N");
        case SQL_IDENTIFIER_QUOTE_CHAR:
            // Tools put it on both sides of a name, so it cannot be the bracket.
            return std::string("\"");
        case SQL_CATALOG_NAME_SEPARATOR:
        case SQL_CATALOG_TERM:
        case SQL_SCHEMA_TERM:
        case SQL_PROCEDURE_TERM:
        case SQL_SPECIAL_CHARACTERS:
        case SQL_KEYWORDS:
            return std::string();
        // SQLite's SQL: aliases, expressions in ORDER BY, LIKE ... ESCAPE, outer joins;
        // a parameter is described (as text, see SQLDescribeParam).
        case SQL_COLUMN_ALIAS:
        case SQL_EXPRESSIONS_IN_ORDERBY:
        case SQL_LIKE_ESCAPE_CLAUSE:
        case SQL_OUTER_JOINS:
        case SQL_DESCRIBE_PARAMETER:
            return std::string("Y");
        case SQL_CATALOG_NAME:
        case SQL_MULT_RESULT_SETS:
        case SQL_MULTIPLE_ACTIVE_TXN:
        case SQL_ORDER_BY_COLUMNS_IN_SELECT:
        case SQL_NEED_LONG_DATA_LEN:
        case SQL_ROW_UPDATES:
        case SQL_INTEGRITY:
        case SQL_MAX_ROW_SIZE_INCLUDES_LONG:
            return std::string("N");
        case SQL_TABLE_TERM:
            return std::string("table");
        case SQL_SEARCH_PATTERN_ESCAPE:
            return std::string("\\");
        case SQL_COLLATION_SEQ:
            return std::string("BINARY");  // SQLite compares text byte by byte
        default:
            return std::nullopt;
    }
}

std::optional<InfoValue> SmallInfo(SQLUSMALLINT type) {
    switch (type) {
        case SQL_TXN_CAPABLE:
            return SQLUSMALLINT{SQL_TC_NONE};
        case SQL_CURSOR_COMMIT_BEHAVIOR:
        case SQL_CURSOR_ROLLBACK_BEHAVIOR:
            return SQLUSMALLINT{SQL_CB_PRESERVE};
        case SQL_MAX_CONCURRENT_ACTIVITIES:
        case SQL_MAX_DRIVER_CONNECTIONS:
        case SQL_MAX_CATALOG_NAME_LEN:
        case SQL_MAX_SCHEMA_NAME_LEN:
        case SQL_MAX_CURSOR_NAME_LEN:
            return SQLUSMALLINT{0};
        case SQL_MAX_USER_NAME_LEN:
        case SQL_MAX_PROCEDURE_NAME_LEN:
        case SQL_MAX_COLUMNS_IN_GROUP_BY:
        case SQL_MAX_COLUMNS_IN_ORDER_BY:
        case SQL_MAX_COLUMNS_IN_INDEX:
        case SQL_ACTIVE_ENVIRONMENTS:
            return SQLUSMALLINT{0};
        case SQL_ODBC_API_CONFORMANCE:
            return SQLUSMALLINT{SQL_OAC_NONE};
        case SQL_ODBC_SQL_CONFORMANCE:
            return SQLUSMALLINT{SQL_OSC_MINIMUM};
        case SQL_ODBC_SAG_CLI_CONFORMANCE:
            return SQLUSMALLINT{SQL_OSCC_NOT_COMPLIANT};
        // Clients size their buffers for names by these. A field name has at most 10
        // characters, but result columns of the catalog functions have longer names, so
        // column names have no limit; a table name is a file name, at most 255 bytes.
        case SQL_MAX_COLUMN_NAME_LEN:
        case SQL_MAX_COLUMNS_IN_SELECT:
        case SQL_MAX_COLUMNS_IN_TABLE:
            return SQLUSMALLINT{0};
        case SQL_MAX_TABLE_NAME_LEN:
        case SQL_MAX_IDENTIFIER_LEN:
            return SQLUSMALLINT{255};
        case SQL_MAX_TABLES_IN_SELECT:
            return SQLUSMALLINT{0};  // joins of any number of tables
        case SQL_IDENTIFIER_CASE:
        case SQL_QUOTED_IDENTIFIER_CASE:
            return SQLUSMALLINT{SQL_IC_MIXED};
        case SQL_NULL_COLLATION:
            return SQLUSMALLINT{SQL_NC_LOW};
        case SQL_CONCAT_NULL_BEHAVIOR:
            return SQLUSMALLINT{SQL_CB_NULL};
        case SQL_CORRELATION_NAME:
            return SQLUSMALLINT{SQL_CN_ANY};
        case SQL_NON_NULLABLE_COLUMNS:
            return SQLUSMALLINT{SQL_NNC_NULL};
        case SQL_GROUP_BY:
            return SQLUSMALLINT{SQL_GB_NO_RELATION};
        case SQL_FILE_USAGE:
            return SQLUSMALLINT{SQL_FILE_TABLE};
        case SQL_CATALOG_LOCATION:
            return SQLUSMALLINT{0};
        default:
            return std::nullopt;
    }
}

std::optional<InfoValue> WordInfo(SQLUSMALLINT type) {
    switch (type) {
        case SQL_GETDATA_EXTENSIONS:
            return SQLUINTEGER{SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND};
        case SQL_SCROLL_OPTIONS:
            return SQLUINTEGER{SQL_SO_FORWARD_ONLY | SQL_SO_STATIC};
        case SQL_FETCH_DIRECTION:
            return SQLUINTEGER{SQL_FD_FETCH_NEXT | SQL_FD_FETCH_FIRST | SQL_FD_FETCH_LAST |
                               SQL_FD_FETCH_PRIOR | SQL_FD_FETCH_ABSOLUTE | SQL_FD_FETCH_RELATIVE};
        case SQL_STATIC_CURSOR_ATTRIBUTES1:
            return SQLUINTEGER{SQL_CA1_NEXT | SQL_CA1_ABSOLUTE | SQL_CA1_RELATIVE};
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
            return SQLUINTEGER{SQL_CA1_NEXT};
        case SQL_STATIC_CURSOR_ATTRIBUTES2:
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
            return SQLUINTEGER{SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_MAX_ROWS_SELECT};
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
        case SQL_KEYSET_CURSOR_ATTRIBUTES1:
        case SQL_KEYSET_CURSOR_ATTRIBUTES2:
            return SQLUINTEGER{0};
        case SQL_SCROLL_CONCURRENCY:
            return SQLUINTEGER{SQL_SCCO_READ_ONLY};
        // What SQLite evaluates, and the {fn} functions the driver translates.
        case SQL_STRING_FUNCTIONS:
            return SQLUINTEGER{SQL_FN_STR_CONCAT | SQL_FN_STR_LCASE | SQL_FN_STR_UCASE |
                               SQL_FN_STR_LEFT | SQL_FN_STR_RIGHT | SQL_FN_STR_LENGTH |
                               SQL_FN_STR_LTRIM | SQL_FN_STR_RTRIM | SQL_FN_STR_REPLACE |
                               SQL_FN_STR_SUBSTRING | SQL_FN_STR_CHAR_LENGTH |
                               SQL_FN_STR_CHARACTER_LENGTH};
        case SQL_NUMERIC_FUNCTIONS:
            return SQLUINTEGER{SQL_FN_NUM_ABS | SQL_FN_NUM_ROUND | SQL_FN_NUM_MOD};
        case SQL_SYSTEM_FUNCTIONS:
            return SQLUINTEGER{SQL_FN_SYS_IFNULL};
        case SQL_TIMEDATE_FUNCTIONS:
            return SQLUINTEGER{SQL_FN_TD_CURDATE | SQL_FN_TD_CURTIME | SQL_FN_TD_NOW |
                               SQL_FN_TD_YEAR | SQL_FN_TD_MONTH | SQL_FN_TD_DAYOFMONTH |
                               SQL_FN_TD_HOUR | SQL_FN_TD_MINUTE | SQL_FN_TD_SECOND};
        case SQL_AGGREGATE_FUNCTIONS:
            return SQLUINTEGER{SQL_AF_ALL | SQL_AF_AVG | SQL_AF_COUNT | SQL_AF_DISTINCT |
                               SQL_AF_MAX | SQL_AF_MIN | SQL_AF_SUM};
        case SQL_SUBQUERIES:
            return SQLUINTEGER{SQL_SQ_CORRELATED_SUBQUERIES | SQL_SQ_COMPARISON | SQL_SQ_EXISTS |
                               SQL_SQ_IN};
        case SQL_UNION:
            return SQLUINTEGER{SQL_U_UNION | SQL_U_UNION_ALL};
        case SQL_OJ_CAPABILITIES:
            return SQLUINTEGER{SQL_OJ_LEFT | SQL_OJ_RIGHT | SQL_OJ_FULL | SQL_OJ_NESTED |
                               SQL_OJ_NOT_ORDERED | SQL_OJ_INNER | SQL_OJ_ALL_COMPARISON_OPS};
        case SQL_CURSOR_SENSITIVITY:
            return SQLUINTEGER{SQL_INSENSITIVE};
        // Without transactions there is no isolation level either.
        case SQL_TXN_ISOLATION_OPTION:
        case SQL_DEFAULT_TXN_ISOLATION:
            return SQLUINTEGER{0};
        // SQLite's SQL is not all of SQL-92 Entry, and the entry points are short of the
        // Core interface (no descriptors or cursor names): 0 claims neither level.
        case SQL_SQL_CONFORMANCE:
        case SQL_ODBC_INTERFACE_CONFORMANCE:
            return SQLUINTEGER{0};
        case SQL_ASYNC_MODE:
        case SQL_PARAM_ARRAY_ROW_COUNTS:
        case SQL_PARAM_ARRAY_SELECTS:
        case SQL_BATCH_SUPPORT:
        case SQL_BATCH_ROW_COUNT:
        case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
        case SQL_BOOKMARK_PERSISTENCE:
        case SQL_CONVERT_FUNCTIONS:
        case SQL_POS_OPERATIONS:
        case SQL_STATIC_SENSITIVITY:
        case SQL_LOCK_TYPES:
        case SQL_DATETIME_LITERALS:
        case SQL_TIMEDATE_ADD_INTERVALS:
        case SQL_TIMEDATE_DIFF_INTERVALS:
        case SQL_INFO_SCHEMA_VIEWS:
        case SQL_SCHEMA_USAGE:
        case SQL_CATALOG_USAGE:
        case SQL_DDL_INDEX:
        case SQL_DROP_TABLE:
        case SQL_CREATE_TABLE:
        case SQL_ALTER_TABLE:
        case SQL_INSERT_STATEMENT:
        case SQL_MAX_ROW_SIZE:
        case SQL_MAX_STATEMENT_LEN:
        case SQL_MAX_CHAR_LITERAL_LEN:
        case SQL_MAX_BINARY_LITERAL_LEN:
        case SQL_MAX_INDEX_SIZE:
        case SQL_POSITIONED_STATEMENTS:
        case SQL_STANDARD_CLI_CONFORMANCE:
        case SQL_INDEX_KEYWORDS:
        case SQL_ASYNC_DBC_FUNCTIONS:
        case SQL_ASYNC_NOTIFICATION:
        case SQL_DTC_TRANSITION_COST:
        case SQL_SQL92_DATETIME_FUNCTIONS:
        case SQL_SQL92_FOREIGN_KEY_DELETE_RULE:
        case SQL_SQL92_FOREIGN_KEY_UPDATE_RULE:
        case SQL_SQL92_GRANT:
        case SQL_SQL92_NUMERIC_VALUE_FUNCTIONS:
        case SQL_SQL92_PREDICATES:
        case SQL_SQL92_RELATIONAL_JOIN_OPERATORS:
        case SQL_SQL92_REVOKE:
        case SQL_SQL92_ROW_VALUE_CONSTRUCTOR:
        case SQL_SQL92_STRING_FUNCTIONS:
        case SQL_SQL92_VALUE_EXPRESSIONS:
        case SQL_ALTER_DOMAIN:
        case SQL_CREATE_ASSERTION:
        case SQL_CREATE_CHARACTER_SET:
        case SQL_CREATE_COLLATION:
        case SQL_CREATE_DOMAIN:
        case SQL_CREATE_SCHEMA:
        case SQL_CREATE_TRANSLATION:
        case SQL_CREATE_VIEW:
        case SQL_DROP_ASSERTION:
        case SQL_DROP_CHARACTER_SET:
        case SQL_DROP_COLLATION:
        case SQL_DROP_DOMAIN:
        case SQL_DROP_SCHEMA:
        case SQL_DROP_TRANSLATION:
        case SQL_DROP_VIEW:
            return SQLUINTEGER{0};
        // No conversions inside SQL statements (CONVERT), for any pair of types.
        case SQL_CONVERT_BIGINT:
        case SQL_CONVERT_BINARY:
        case SQL_CONVERT_BIT:
        case SQL_CONVERT_CHAR:
        case SQL_CONVERT_DATE:
        case SQL_CONVERT_DECIMAL:
        case SQL_CONVERT_DOUBLE:
        case SQL_CONVERT_FLOAT:
        case SQL_CONVERT_GUID:
        case SQL_CONVERT_INTEGER:
        case SQL_CONVERT_INTERVAL_DAY_TIME:
        case SQL_CONVERT_INTERVAL_YEAR_MONTH:
        case SQL_CONVERT_LONGVARBINARY:
        case SQL_CONVERT_LONGVARCHAR:
        case SQL_CONVERT_NUMERIC:
        case SQL_CONVERT_REAL:
        case SQL_CONVERT_SMALLINT:
        case SQL_CONVERT_TIME:
        case SQL_CONVERT_TIMESTAMP:
        case SQL_CONVERT_TINYINT:
        case SQL_CONVERT_VARBINARY:
        case SQL_CONVERT_VARCHAR:
        case SQL_CONVERT_WCHAR:
        case SQL_CONVERT_WLONGVARCHAR:
        case SQL_CONVERT_WVARCHAR:
            return SQLUINTEGER{0};
        default:
            return std::nullopt;
    }
}

std::optional<InfoValue> Info(const Connection& dbc, SQLUSMALLINT type) {
    if (auto value = TextInfo(dbc, type)) return value;
    if (auto value = SmallInfo(type)) return value;
    return WordInfo(type);
}

SQLRETURN GetInfo(Connection& dbc, SQLUSMALLINT type, SQLPOINTER value, const TextOut& text) {
    std::optional<InfoValue> info = Info(dbc, type);
    if (!info)
        throw OdbcError("HY096", "Information type " + std::to_string(type) + " is not supported");
    if (auto* string = std::get_if<std::string>(&*info)) {
        if (CopyOut(*string, text))
            return RecordWarning(dbc, "01004", "String data, right truncated");
    } else if (auto* small = std::get_if<SQLUSMALLINT>(&*info)) {
        if (value != nullptr) *static_cast<SQLUSMALLINT*>(value) = *small;
        if (text.length16 != nullptr) *text.length16 = sizeof *small;
    } else {
        const SQLUINTEGER number = std::get<SQLUINTEGER>(*info);
        if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = number;
        if (text.length16 != nullptr) *text.length16 = sizeof number;
    }
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
                             SQLSMALLINT buffer_length, SQLSMALLINT* length) {
    return Guard<Connection>(handle, HandleKind::kDbc, [&](Connection& dbc) {
        return GetInfo(dbc, type, value, Utf8Out(value, buffer_length, length));
    });
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
                              SQLSMALLINT buffer_length, SQLSMALLINT* length) {
    return Guard<Connection>(handle, HandleKind::kDbc, [&](Connection& dbc) {
        return GetInfo(dbc, type, value,
                       Utf16Out(value, buffer_length, TextOut::Form::kUtf16Bytes, length));
    });
}

SQLRETURN SQL_API SQLGetFunctions(SQLHDBC handle, SQLUSMALLINT id, SQLUSMALLINT* supported) {
    return Guard<Connection>(handle, HandleKind::kDbc, [&](Connection&) -> SQLRETURN {
        if (supported == nullptr) throw OdbcError("HY009", "Invalid use of null pointer");
        if (id == SQL_API_ODBC3_ALL_FUNCTIONS) {
            std::fill_n(supported, SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, SQLUSMALLINT{0});
            for (SQLUSMALLINT f : kFunctions)
                supported[f >> 4] |= static_cast<SQLUSMALLINT>(1 << (f & 0xF));
        } else if (id == SQL_API_ALL_FUNCTIONS) {
            std::fill_n(supported, 100, SQLUSMALLINT{0});
            for (SQLUSMALLINT f : kFunctions)
                if (f < 100) supported[f] = SQL_TRUE;
        } else {
            *supported = Implemented(id) ? SQL_TRUE : SQL_FALSE;
        }
        return SQL_SUCCESS;
    });
}

}  // extern "C"
