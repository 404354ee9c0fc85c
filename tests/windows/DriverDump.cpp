// driver_dump DRIVER FOLDER: loads the dBase driver library itself, as a driver manager
// does, and prints what it reads from the tables in FOLDER/März, once through the narrow
// calls and once through the wide ones, so that the Windows and Linux builds can be
// compared line by line. An error shows as its SQLSTATE; a table not found with its text
// too, the folder's path in it as <folder> (the systems' paths and reasons differ).
#ifdef _WIN32
#include "res/Win32.h"  // the ODBC headers are written against the Windows types
#endif
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/base/Utf16.h"
#include "tests/windows/DriverLibrary.h"

namespace {

using WideText = std::basic_string<SQLWCHAR>;

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

WideText ToWide(const std::string& utf8) {
    const std::u16string units = kdbf::Utf8ToUtf16(utf8);
    return WideText(units.begin(), units.end());
}

std::string FromWide(const SQLWCHAR* text, std::size_t size) {
    return kdbf::Utf16ToUtf8(std::u16string(text, text + size));
}

// The narrow or the wide calls, text always in UTF-8 on this side.
class Session {
public:
    Session(bool wide, const std::string& folder) : m_bWide(wide), m_strFolder(folder) {
        DRIVER(SQLAllocHandle)(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv);
        DRIVER(SQLSetEnvAttr)(m_hEnv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        DRIVER(SQLAllocHandle)(SQL_HANDLE_DBC, m_hEnv, &m_hDbc);
    }
    ~Session() {
        if (m_hStmt != SQL_NULL_HSTMT) DRIVER(SQLFreeHandle)(SQL_HANDLE_STMT, m_hStmt);
        DRIVER(SQLDisconnect)(m_hDbc);
        DRIVER(SQLFreeHandle)(SQL_HANDLE_DBC, m_hDbc);
        DRIVER(SQLFreeHandle)(SQL_HANDLE_ENV, m_hEnv);
    }

    std::string Connect(const std::string& in) {
        SQLSMALLINT length = 0;
        SQLRETURN rc;
        std::string out;
        if (m_bWide) {
            SQLWCHAR buffer[1024];
            WideText text = ToWide(in);
            rc = DRIVER(SQLDriverConnectW)(m_hDbc, nullptr, text.data(), SQL_NTS, buffer, 1024,
                                           &length, SQL_DRIVER_NOPROMPT);
            out = FromWide(buffer, length);
        } else {
            SQLCHAR buffer[1024];
            std::string text = Utf8ToNarrowText(in);
            rc = DRIVER(SQLDriverConnect)(m_hDbc, nullptr, (SQLCHAR*)text.data(), SQL_NTS, buffer,
                                          1024, &length, SQL_DRIVER_NOPROMPT);
            out = NarrowTextToUtf8(std::string((char*)buffer, length));
        }
        return SQL_SUCCEEDED(rc) ? "connected" : Error(SQL_HANDLE_DBC, m_hDbc);
    }

    // Runs `query`; "" when it succeeded, else the error.
    std::string Execute(const std::string& query) {
        NewStatement();
        SQLRETURN rc;
        if (m_bWide) {
            WideText text = ToWide(query);
            rc = DRIVER(SQLExecDirectW)(m_hStmt, text.data(), SQL_NTS);
        } else {
            std::string text = Utf8ToNarrowText(query);
            rc = DRIVER(SQLExecDirect)(m_hStmt, (SQLCHAR*)text.data(), SQL_NTS);
        }
        return SQL_SUCCEEDED(rc) ? "" : Error(SQL_HANDLE_STMT, m_hStmt);
    }

    std::vector<std::string> TableNames() {
        NewStatement();
        std::vector<std::string> names;
        if (m_bWide) {
            WideText type = ToWide("TABLE");
            DRIVER(SQLTablesW)(m_hStmt, nullptr, 0, nullptr, 0, nullptr, 0, type.data(), SQL_NTS);
        } else {
            DRIVER(SQLTables)
            (m_hStmt, nullptr, 0, nullptr, 0, nullptr, 0, (SQLCHAR*)"TABLE", SQL_NTS);
        }
        while (SQL_SUCCEEDED(DRIVER(SQLFetch)(m_hStmt))) names.push_back(Cell(3));
        return names;
    }

    // The columns of the result, one line each: name, SQL type, size, digits, nullable.
    std::vector<std::string> Columns() {
        SQLSMALLINT count = 0;
        DRIVER(SQLNumResultCols)(m_hStmt, &count);
        std::vector<std::string> lines;
        for (SQLUSMALLINT i = 1; i <= count; ++i) {
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            std::string name;
            if (m_bWide) {
                SQLWCHAR buffer[256];
                DRIVER(SQLDescribeColW)
                (m_hStmt, i, buffer, 256, &length, &type, &size, &digits, &nullable);
                name = FromWide(buffer, length);
            } else {
                SQLCHAR buffer[256];
                DRIVER(SQLDescribeCol)
                (m_hStmt, i, buffer, 256, &length, &type, &size, &digits, &nullable);
                name = NarrowTextToUtf8(std::string((char*)buffer, length));
            }
            lines.push_back(name + " " + std::to_string(type) + " " + std::to_string(size) + " " +
                            std::to_string(digits) + " " + std::to_string(nullable));
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
        if (m_hStmt != SQL_NULL_HSTMT) DRIVER(SQLFreeHandle)(SQL_HANDLE_STMT, m_hStmt);
        DRIVER(SQLAllocHandle)(SQL_HANDLE_STMT, m_hDbc, &m_hStmt);
    }

    // The cell as SQL_C_WCHAR or SQL_C_CHAR, read in small parts so that the driver
    // has to continue where it stopped.
    std::string Cell(int column) {
        std::string text;
        SQLLEN indicator = 0;
        for (;;) {
            SQLRETURN rc;
            if (m_bWide) {
                SQLWCHAR part[8];
                rc =
                    DRIVER(SQLGetData)(m_hStmt, column, SQL_C_WCHAR, part, sizeof part, &indicator);
                if (SQL_SUCCEEDED(rc) && indicator != SQL_NULL_DATA)
                    text += FromWide(part, std::char_traits<SQLWCHAR>::length(part));
            } else {
                char part[8];
                rc = DRIVER(SQLGetData)(m_hStmt, column, SQL_C_CHAR, part, sizeof part, &indicator);
                if (SQL_SUCCEEDED(rc) && indicator != SQL_NULL_DATA) text += part;
            }
            if (rc == SQL_NO_DATA || rc == SQL_SUCCESS) break;
            if (rc == SQL_ERROR) return Error(SQL_HANDLE_STMT, m_hStmt);
        }
        if (indicator == SQL_NULL_DATA) return "<null>";
        return m_bWide ? text : NarrowTextToUtf8(text);
    }

    std::string Error(SQLSMALLINT type, SQLHANDLE handle) {
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::string state, message;
        if (m_bWide) {
            SQLWCHAR code[6], text[1024];
            DRIVER(SQLGetDiagRecW)(type, handle, 1, code, &native, text, 1024, &length);
            state = FromWide(code, 5);
            message = FromWide(text, length);
        } else {
            SQLCHAR code[6], text[1024];
            DRIVER(SQLGetDiagRec)(type, handle, 1, code, &native, text, 1024, &length);
            state = std::string((char*)code, 5);
            message = NarrowTextToUtf8(std::string((char*)text, length));
        }
        if (state != "42S02") return "error " + state;
        for (std::size_t at; (at = message.find(m_strFolder)) != std::string::npos;)
            message.replace(at, m_strFolder.size(), "<folder>");
        return "error " + state + ": " + message;
    }

    bool m_bWide;
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

void Dump(bool wide, const std::string& folder) {
    std::printf("== %s\n", wide ? "wide" : "narrow");
    Session session(wide, folder);
    std::printf("%s\n", session.Connect("DEFAULTDIR=" + folder).c_str());
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
    for (bool wide : {false, true}) Dump(wide, folder);
    return 0;
}
