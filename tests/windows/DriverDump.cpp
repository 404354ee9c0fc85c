// driver_dump DRIVER FOLDER: loads the dBase driver library itself, as a driver manager
// does, and prints what it reads from the tables in FOLDER/März, once through the narrow
// calls and once through the wide ones, so that the Windows and Linux builds can be
// compared line by line. An error shows as its SQLSTATE; a table not found with its text
// too, the folder's path in it as <folder> (the systems' paths and reasons differ).
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/base/Utf16.h"
#include "tests/windows/DriverLibrary.h"

namespace {

void* g_library = nullptr;

template <class Function>
Function* Entry(const char* name) {
    void* entry = DriverEntryPoint(g_library, name);
    if (entry == nullptr) {
        std::fprintf(stderr, "the driver exports no %s\n", name);
        std::exit(2);
    }
    return reinterpret_cast<Function*>(entry);
}
#define DRIVER(name) Entry<decltype(::name)>(#name)

// The narrow calls, their text in the system's narrow character set, and the wide ones.
struct Narrow {
    using Char = SQLCHAR;
    static constexpr SQLSMALLINT kCType = SQL_C_CHAR;
    static std::basic_string<Char> In(const std::string& utf8) {
        const std::string text = Utf8ToNarrowText(utf8);
        return {text.begin(), text.end()};
    }
    static std::string Out(const Char* text, std::size_t size) {
        return NarrowTextToUtf8(std::string(reinterpret_cast<const char*>(text), size));
    }
    static auto DriverConnect() { return DRIVER(SQLDriverConnect); }
    static auto ExecDirect() { return DRIVER(SQLExecDirect); }
    static auto Tables() { return DRIVER(SQLTables); }
    static auto DescribeCol() { return DRIVER(SQLDescribeCol); }
    static auto GetDiagRec() { return DRIVER(SQLGetDiagRec); }
};
struct Wide {
    using Char = SQLWCHAR;
    static constexpr SQLSMALLINT kCType = SQL_C_WCHAR;
    static std::basic_string<Char> In(const std::string& utf8) {
        const std::u16string units = kdbf::Utf8ToUtf16(utf8);
        return {units.begin(), units.end()};
    }
    static std::string Out(const Char* text, std::size_t size) {
        return kdbf::Utf16ToUtf8(std::u16string(text, text + size));
    }
    static auto DriverConnect() { return DRIVER(SQLDriverConnectW); }
    static auto ExecDirect() { return DRIVER(SQLExecDirectW); }
    static auto Tables() { return DRIVER(SQLTablesW); }
    static auto DescribeCol() { return DRIVER(SQLDescribeColW); }
    static auto GetDiagRec() { return DRIVER(SQLGetDiagRecW); }
};

// One connection through the calls of `Text`, text always in UTF-8 on this side.
template <class Text>
class Session {
    using Char = typename Text::Char;

public:
    explicit Session(const std::string& folder) : m_strFolder(folder) {
        DRIVER(SQLAllocHandle)(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv);
        DRIVER(SQLSetEnvAttr)(m_hEnv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        DRIVER(SQLAllocHandle)(SQL_HANDLE_DBC, m_hEnv, &m_hDbc);
    }
    ~Session() {
        DRIVER(SQLFreeHandle)(SQL_HANDLE_STMT, m_hStmt);
        DRIVER(SQLDisconnect)(m_hDbc);
        DRIVER(SQLFreeHandle)(SQL_HANDLE_DBC, m_hDbc);
        DRIVER(SQLFreeHandle)(SQL_HANDLE_ENV, m_hEnv);
    }

    std::string Connect() {
        auto in = Text::In("DEFAULTDIR=" + m_strFolder);
        Char out[1024];
        SQLSMALLINT length = 0;
        const SQLRETURN rc = Text::DriverConnect()(m_hDbc, nullptr, in.data(), SQL_NTS, out, 1024,
                                                   &length, SQL_DRIVER_NOPROMPT);
        return SQL_SUCCEEDED(rc) ? "connected" : Error(SQL_HANDLE_DBC, m_hDbc);
    }

    // Runs `query`; "" when it succeeded, else the error.
    std::string Execute(const std::string& query) {
        NewStatement();
        auto text = Text::In(query);
        const SQLRETURN rc = Text::ExecDirect()(m_hStmt, text.data(), SQL_NTS);
        return SQL_SUCCEEDED(rc) ? "" : Error(SQL_HANDLE_STMT, m_hStmt);
    }

    std::vector<std::string> TableNames() {
        NewStatement();
        auto type = Text::In("TABLE");
        Text::Tables()(m_hStmt, nullptr, 0, nullptr, 0, nullptr, 0, type.data(), SQL_NTS);
        std::vector<std::string> names;
        while (SQL_SUCCEEDED(DRIVER(SQLFetch)(m_hStmt))) names.push_back(Cell(3));
        return names;
    }

    // The columns of the result, one line each: name, SQL type, size, digits, nullable.
    std::vector<std::string> Columns() {
        SQLSMALLINT count = 0;
        DRIVER(SQLNumResultCols)(m_hStmt, &count);
        std::vector<std::string> lines;
        for (SQLUSMALLINT i = 1; i <= count; ++i) {
            Char name[256];
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            Text::DescribeCol()(m_hStmt, i, name, 256, &length, &type, &size, &digits, &nullable);
            lines.push_back(Text::Out(name, length) + " " + std::to_string(type) + " " +
                            std::to_string(size) + " " + std::to_string(digits) + " " +
                            std::to_string(nullable));
        }
        return lines;
    }

    // The rows of the result, cells as text joined by '|'; an error ends them.
    std::vector<std::string> Rows(int columns) {
        std::vector<std::string> rows;
        SQLRETURN rc;
        while (SQL_SUCCEEDED(rc = DRIVER(SQLFetch)(m_hStmt))) {
            std::string row;
            for (int i = 1; i <= columns; ++i) row += (i > 1 ? "|" : "") + Cell(i);
            rows.push_back(row);
        }
        if (rc != SQL_NO_DATA) rows.push_back(Error(SQL_HANDLE_STMT, m_hStmt));
        return rows;
    }

private:
    void NewStatement() {
        DRIVER(SQLFreeHandle)(SQL_HANDLE_STMT, m_hStmt);
        DRIVER(SQLAllocHandle)(SQL_HANDLE_STMT, m_hDbc, &m_hStmt);
    }

    // The cell read in parts of a few characters, so that the driver has to continue
    // where it stopped (and never cuts a character in two).
    std::string Cell(int column) {
        std::basic_string<Char> text;
        SQLLEN indicator = 0;
        for (SQLRETURN rc = SQL_SUCCESS_WITH_INFO; rc == SQL_SUCCESS_WITH_INFO;) {
            Char part[8] = {};
            rc = DRIVER(SQLGetData)(m_hStmt, column, Text::kCType, part, sizeof part, &indicator);
            if (rc == SQL_ERROR) return Error(SQL_HANDLE_STMT, m_hStmt);
            if (SQL_SUCCEEDED(rc) && indicator != SQL_NULL_DATA) text += part;
        }
        return indicator == SQL_NULL_DATA ? "<null>" : Text::Out(text.data(), text.size());
    }

    std::string Error(SQLSMALLINT type, SQLHANDLE handle) {
        Char state[6], text[1024];
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        Text::GetDiagRec()(type, handle, 1, state, &native, text, 1024, &length);
        std::string message = Text::Out(text, length);
        if (Text::Out(state, 5) != "42S02") return "error " + Text::Out(state, 5);
        for (std::size_t at; (at = message.find(m_strFolder)) != std::string::npos;)
            message.replace(at, m_strFolder.size(), "<folder>");
        return "error 42S02: " + message;
    }

    std::string m_strFolder;
    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
};

// Names that would reach outside the folder or a device; never opened.
const char* const kRefusedNames[] = {
    "..\\outside",  "../outside", "..",          "\\outside",
    "/outside",     "C:outside",  "C:\\outside", "\\\\localhost\\c$\\outside",
    "price:stream", "CON",        "nul",         "Aux.txt",
    "prn.dbf",      "COM1",       "com9.x",      "LPT1",
    "lpt9.dbf",     "CON .txt",
};

template <class Text>
void Dump(const char* title, const std::string& folder) {
    std::printf("== %s\n", title);
    Session<Text> session(folder);
    std::printf("%s\n", session.Connect().c_str());
    for (const std::string& table : session.TableNames()) {
        std::printf("table %s\n", table.c_str());
        const std::string error = session.Execute("SELECT * FROM [" + table + "]");
        if (!error.empty()) {
            std::printf("  %s\n", error.c_str());
            continue;
        }
        const std::vector<std::string> columns = session.Columns();
        for (const std::string& column : columns) std::printf("  column %s\n", column.c_str());
        for (const std::string& row : session.Rows(static_cast<int>(columns.size())))
            std::printf("  %s\n", row.c_str());
    }
    for (const char* name : kRefusedNames) {
        const std::string error = session.Execute(std::string("SELECT * FROM [") + name + "]");
        std::printf("name %s: %s\n", name, error.empty() ? "read" : error.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: driver_dump DRIVER FOLDER\n");
        return 2;
    }
    g_library = LoadDriverLibrary(argv[1]);
    if (g_library == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    // The folder's own name is not ASCII: the narrow calls pass it in the ANSI code page.
    std::string folder = std::string(argv[2]) + "/M\xC3\xA4rz";
    Dump<Narrow>("narrow", folder);
    Dump<Wide>("wide", folder);
    return 0;
}
