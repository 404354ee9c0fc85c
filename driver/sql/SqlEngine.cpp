#include "driver/sql/SqlEngine.h"

#include <sqlite3.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>

#include "driver/dbf/FieldValue.h"
#include "driver/dbf/Folder.h"
#include "driver/sql/QueryParser.h"
#include "driver/sql/SqlFunctions.h"
#include "driver/sql/SqlText.h"

namespace kdbf {

void StmtDeleter::operator()(sqlite3_stmt* stmt) const {
    sqlite3_finalize(stmt);
}

// ---- The virtual-table module -------------------------------------------------------

namespace {

// How SQLite sees a field: the declared type gives the column its affinity (so that
// comparisons and aggregates behave by kind), and xColumn hands over a value of it.
enum class Kind { kText, kReal, kInteger, kBoolean, kBlob, kUnreadable };

Kind KindOf(const DbfField& field) {
    switch (DescribeField(field, "").sql_type) {
        case SQL_UNKNOWN_TYPE:
            return Kind::kUnreadable;
        case SQL_DOUBLE:
            return field.type == 'N' && field.decimals == 0 ? Kind::kInteger : Kind::kReal;
        case SQL_DECIMAL:
            return Kind::kReal;
        case SQL_INTEGER:
            return Kind::kInteger;
        case SQL_BIT:
            return Kind::kBoolean;
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return Kind::kBlob;
        default:  // C, V, M, D (YYYY-MM-DD), T and @ (YYYY-MM-DD HH:MM:SS)
            return Kind::kText;
    }
}

const char* DeclaredType(const DbfField& field) {
    switch (KindOf(field)) {
        case Kind::kReal:
            return "REAL";
        case Kind::kInteger:
            return "INTEGER";
        case Kind::kBoolean:
            return "BOOLEAN";
        case Kind::kBlob:
        case Kind::kUnreadable:
            return "BLOB";
        case Kind::kText:
            break;
    }
    return field.type == 'D'                        ? "DATE"
           : field.type == 'T' || field.type == '@' ? "TIMESTAMP"
                                                    : "TEXT";
}

std::string Quote(const std::string& text, char quote) {
    std::string quoted(1, quote);
    for (char c : text) quoted += c == quote ? std::string(2, c) : std::string(1, c);
    return quoted + quote;
}

std::string QuoteName(const std::string& name) {
    return Quote(name, '"');
}

// A module argument as CreateTable wrote it: a string literal.
std::string Unquote(const std::string& literal) {
    std::string text;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        text += literal[i];
        if (literal[i] == '\'' && literal[i + 1] == '\'') ++i;
    }
    return text;
}

struct DbfVtab : sqlite3_vtab {
    std::string name;  // as the statement named it
    std::string path;
    std::vector<Kind> kinds;  // by field
    TableOptions options;
    std::unique_ptr<DbfTable> probe;  // the table as declared, to check what a plan uses
    std::optional<OdbcError>* reader_error = nullptr;
};

struct DbfCursor : sqlite3_vtab_cursor {
    std::unique_ptr<DbfTable> table;  // each cursor reads on its own, so self-joins work
    std::uint32_t record = 0;
    std::string text;  // a field's text, kept to reuse its memory
};

// Records an exception raised by the reader so the statement can report it with its
// own SQLSTATE, and tells SQLite the step failed.
int ReaderFailed(sqlite3_vtab* vtab, std::optional<OdbcError>* slot, const OdbcError& error) {
    *slot = error;
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", error.what());
    return SQLITE_ERROR;
}

}  // namespace

struct SqlEngine::Module {
    // CREATE VIRTUAL TABLE name USING kestrix_dbf('path'): the file is the module's one
    // argument, so SQLite can connect the table again on its own whenever it rereads
    // its schema. Without the argument (an eponymous use of the module) nothing opens.
    static int Connect(sqlite3* db, void* aux, int argc, const char* const* argv,
                       sqlite3_vtab** out, char** error) {
        auto* engine = static_cast<SqlEngine*>(aux);
        if (argc != 4) {
            *error = sqlite3_mprintf("dBase tables are made by the driver only");
            return SQLITE_ERROR;
        }
        const std::string name = argv[2];
        const std::string path = Unquote(argv[3]);
        std::unique_ptr<DbfTable> table;
        try {
            table = DbfTable::Open(path, engine->options_);
        } catch (const std::exception& e) {
            *error = sqlite3_mprintf("%s", e.what());
            return SQLITE_ERROR;
        }
        // SQLite wants distinct column names; a table may repeat one, whose later
        // fields then are NAME_2, NAME_3, ...
        std::string declaration;
        std::vector<std::string> names;
        for (const DbfField& field : table->Fields()) {
            std::string name = field.name;
            for (int n = 2; std::any_of(names.begin(), names.end(),
                                        [&](const std::string& s) {
                                            return sqlite3_stricmp(s.c_str(), name.c_str()) == 0;
                                        });
                 ++n)
                name = field.name + "_" + std::to_string(n);
            names.push_back(name);
            declaration +=
                (declaration.empty() ? "" : ",") + QuoteName(name) + " " + DeclaredType(field);
        }
        // A table without fields still needs a column to be declared.
        declaration =
            "CREATE TABLE x(" + (declaration.empty() ? "_none_ HIDDEN" : declaration) + ")";
        const bool internal = engine->internal_;
        engine->internal_ = true;  // declaring the columns is the driver's own doing
        const int rc = sqlite3_declare_vtab(db, declaration.c_str());
        engine->internal_ = internal;
        if (rc != SQLITE_OK) return rc;
        auto vtab = std::make_unique<DbfVtab>();
        vtab->name = name;
        vtab->path = path;
        for (const DbfField& field : table->Fields()) vtab->kinds.push_back(KindOf(field));
        vtab->options = engine->options_;
        vtab->reader_error = &engine->reader_error_;
        engine->tables_[name] = Table{path, table->Fields()};
        vtab->probe = std::move(table);
        *out = vtab.release();
        return SQLITE_OK;
    }

    // A function apart from Connect, or SQLite would offer the module as an eponymous
    // table of its own name.
    static int Create(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
                      char** error) {
        return Connect(db, aux, argc, argv, out, error);
    }

    // A full scan in record order is all the module offers; SQLite filters, sorts and
    // joins. The estimate lets the planner put the smaller table outside in a join.
    // A column the statement uses but the driver cannot deliver fails the prepare, as
    // it fails a plain SELECT before any row is read.
    static int BestIndex(sqlite3_vtab* base, sqlite3_index_info* info) {
        auto* vtab = static_cast<DbfVtab*>(base);
        const std::uint32_t records = vtab->probe->RecordCount();
        info->estimatedCost = static_cast<double>(records) + 1;
        info->estimatedRows = records;
        for (std::size_t i = 0; i < vtab->kinds.size(); ++i) {
            if (!(info->colUsed & (sqlite3_uint64(1) << std::min<std::size_t>(i, 63)))) continue;
            try {
                CheckReadable(*vtab->probe, static_cast<int>(i), vtab->name);
            } catch (const OdbcError& e) {
                return ReaderFailed(vtab, vtab->reader_error, e);
            }
        }
        return SQLITE_OK;
    }

    static int Disconnect(sqlite3_vtab* base) {
        delete static_cast<DbfVtab*>(base);
        return SQLITE_OK;
    }

    static int Open(sqlite3_vtab* base, sqlite3_vtab_cursor** out) {
        auto* vtab = static_cast<DbfVtab*>(base);
        auto cursor = std::make_unique<DbfCursor>();
        try {
            cursor->table = DbfTable::Open(vtab->path, vtab->options);
        } catch (const DbfError& e) {
            return ReaderFailed(base, vtab->reader_error, OdbcError("HY000", e.what()));
        }
        *out = cursor.release();
        return SQLITE_OK;
    }

    static int Close(sqlite3_vtab_cursor* cursor) {
        delete static_cast<DbfCursor*>(cursor);
        return SQLITE_OK;
    }

    // Moves to the first visible record at or after the cursor's: deleted records are
    // skipped by their flag alone, without decoding a field.
    static int Seek(DbfCursor* cursor) {
        DbfTable& table = *cursor->table;
        try {
            for (; cursor->record < table.RecordCount(); ++cursor->record) {
                table.Load(cursor->record);
                if (!table.IsDeleted()) return SQLITE_OK;
            }
        } catch (const DbfError& e) {
            auto* vtab = static_cast<DbfVtab*>(cursor->pVtab);
            return ReaderFailed(vtab, vtab->reader_error, OdbcError("HY000", e.what()));
        }
        return SQLITE_OK;
    }

    static int Filter(sqlite3_vtab_cursor* base, int, const char*, int, sqlite3_value**) {
        auto* cursor = static_cast<DbfCursor*>(base);
        cursor->record = 0;
        return Seek(cursor);
    }

    static int Next(sqlite3_vtab_cursor* base) {
        auto* cursor = static_cast<DbfCursor*>(base);
        ++cursor->record;
        return Seek(cursor);
    }

    static int Eof(sqlite3_vtab_cursor* base) {
        auto* cursor = static_cast<DbfCursor*>(base);
        return cursor->record >= cursor->table->RecordCount();
    }

    // Each value is handed over once, in its own type: numbers straight from the field.
    static int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
        auto* cursor = static_cast<DbfCursor*>(base);
        auto* vtab = static_cast<DbfVtab*>(base->pVtab);
        DbfTable& table = *cursor->table;
        try {
            // The file may have been replaced since the table was declared.
            if (static_cast<std::size_t>(index) >= table.Fields().size())
                throw OdbcError("HY000", "Table '" + vtab->name + "' (file '" + vtab->path +
                                             "') changed while the connection was open");
            const std::string& column = table.Fields()[static_cast<std::size_t>(index)].name;
            std::string& text = cursor->text;
            switch (vtab->kinds[static_cast<std::size_t>(index)]) {
                case Kind::kText:
                    if (FieldText(table, index, column, &text))
                        sqlite3_result_text(context, text.data(), static_cast<int>(text.size()),
                                            SQLITE_TRANSIENT);
                    return SQLITE_OK;
                case Kind::kBlob:
                    if (FieldText(table, index, column, &text))
                        sqlite3_result_blob(context, text.data(), static_cast<int>(text.size()),
                                            SQLITE_TRANSIENT);
                    return SQLITE_OK;
                case Kind::kUnreadable:
                    CheckReadable(table, index, vtab->name);
                    return SQLITE_OK;
                default: {
                    FieldNumber number;
                    if (!ReadFieldNumber(table, index, column, &number, &text)) return SQLITE_OK;
                    if (number.kind == FieldNumber::Kind::kInteger)
                        sqlite3_result_int64(context, number.integer);
                    else if (number.kind == FieldNumber::Kind::kReal)
                        sqlite3_result_double(context, number.real);
                    else  // what the field holds is not a number: as the direct reader gives it
                        sqlite3_result_text(context, text.data(), static_cast<int>(text.size()),
                                            SQLITE_TRANSIENT);
                    return SQLITE_OK;
                }
            }
        } catch (const OdbcError& e) {
            ReaderFailed(vtab, vtab->reader_error, e);
        } catch (const DbfError& e) {
            ReaderFailed(vtab, vtab->reader_error, OdbcError("HY000", e.what()));
        }
        sqlite3_result_error(context, vtab->zErrMsg, -1);
        return SQLITE_ERROR;
    }

    // Never called: a statement that would write is refused once prepared. Having it
    // lets such a statement prepare at all, so that it is told by its read-only flag.
    static int Update(sqlite3_vtab*, int, sqlite3_value**, sqlite3_int64*) {
        return SQLITE_READONLY;
    }

    static int Rowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
        *rowid = static_cast<DbfCursor*>(base)->record;
        return SQLITE_OK;
    }

    static const sqlite3_module* Get() {
        static sqlite3_module module = [] {
            sqlite3_module m{};
            m.iVersion = 1;
            m.xCreate = Create;
            m.xConnect = Connect;
            m.xBestIndex = BestIndex;
            m.xDisconnect = Disconnect;
            m.xDestroy = Disconnect;
            m.xOpen = Open;
            m.xClose = Close;
            m.xFilter = Filter;
            m.xNext = Next;
            m.xEof = Eof;
            m.xColumn = Column;
            m.xRowid = Rowid;
            m.xUpdate = Update;
            return m;
        }();
        return &module;
    }

    // Only reading passes while a client's statement is prepared; the driver's own
    // CREATE VIRTUAL TABLE runs with `internal_` set.
    static int Authorize(void* aux, int action, const char*, const char* arg2, const char*,
                         const char*) {
        auto* engine = static_cast<SqlEngine*>(aux);
        if (engine->internal_) return SQLITE_OK;
        switch (action) {
            case SQLITE_SELECT:
            case SQLITE_READ:
            case SQLITE_FUNCTION:
            case SQLITE_RECURSIVE:
                return SQLITE_OK;
            case SQLITE_PRAGMA:  // reading a setting is harmless; setting one is not
                if (arg2 == nullptr) return SQLITE_OK;
                break;
            default:
                break;
        }
        engine->denied_ = true;
        return SQLITE_DENY;
    }
};

// ---- The engine ---------------------------------------------------------------------

SqlEngine::SqlEngine(std::string folder, TableOptions options)
    : folder_(std::move(folder)), options_(std::move(options)) {
    // A connection's handles are used by one thread at a time (the driver keeps no locks
    // of its own either), so SQLite need not lock for every value it hands out.
    if (sqlite3_open_v2(":memory:", &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        throw OdbcError("HY001", "Memory allocation error: cannot open the SQL engine");
    }
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_create_module(db_, "kestrix_dbf", Module::Get(), this);
    sqlite3_set_authorizer(db_, Module::Authorize, this);
    RegisterOdbcFunctions(db_);
}

SqlEngine::~SqlEngine() {
    sqlite3_close_v2(db_);
}

void SqlEngine::CreateTable(const std::string& name, const std::string& path) {
    internal_ = true;
    char* error = nullptr;
    const std::string sql =
        "CREATE VIRTUAL TABLE " + QuoteName(name) + " USING kestrix_dbf(" + Quote(path, '\'') + ")";
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    internal_ = false;
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    if (rc != SQLITE_OK) throw OdbcError(rc == SQLITE_NOMEM ? "HY001" : "HY000", message);
}

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string FirstWord(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && !std::isalpha(static_cast<unsigned char>(text[start]))) ++start;
    std::size_t end = start;
    while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
    std::string word = text.substr(start, end - start);
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
}

// Statements that would change a table or the folder, SQLite's own words or not: they
// are told why they cannot run rather than given a syntax error.
bool IsChange(const std::string& word) {
    static const char* const kChanges[] = {"INSERT",  "UPDATE", "DELETE", "MERGE", "UPSERT",
                                           "REPLACE", "CREATE", "DROP",   "ALTER", "TRUNCATE",
                                           "RENAME",  "GRANT",  "REVOKE", "PACK",  "ZAP"};
    for (const char* change : kChanges)
        if (word == change) return true;
    return false;
}

bool IsNameChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c >= 0x80;
}

// Calls `consider` with every name `sql` mentions that may be a table: each quoted name,
// and each word that is not a keyword or a number.
template <class Consider>
void ForEachName(const std::string& sql, Consider&& consider) {
    for (std::size_t i = 0; i < sql.size();) {
        const auto c = static_cast<unsigned char>(sql[i]);
        if (c == '"') {
            std::string word;
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == '"' && (i + 1 >= sql.size() || sql[++i] != '"')) break;
                word += sql[i];
            }
            consider(word);
        } else if (c == '\'') {  // a string literal names nothing
            for (++i; i < sql.size(); ++i)
                if (sql[i] == '\'' && (i + 1 >= sql.size() || sql[++i] != '\'')) break;
        } else if (IsNameChar(c)) {
            std::size_t end = i;
            while (end < sql.size() && IsNameChar(static_cast<unsigned char>(sql[end]))) ++end;
            if (!std::isdigit(c) &&
                !sqlite3_keyword_check(sql.data() + i, static_cast<int>(end - i)))
                consider(sql.substr(i, end - i));
            i = end;
        } else {
            ++i;
        }
    }
}

}  // namespace

bool SqlEngine::NoCase::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

OdbcError TableNotFound(const std::string& table, const std::string& folder) {
    return OdbcError("42S02", "Table '" + table + "' not found: no file '" + table +
                                  ".dbf' in folder '" + (folder.empty() ? "." : folder) + "'");
}

OdbcError ColumnNotFound(const std::string& column, const std::string& table,
                         const std::string& path) {
    return OdbcError("42S22", "Column '" + column + "' not found in table '" + table + "' (file '" +
                                  path + "')");
}

OdbcError ReadOnlyRefusal(const std::string& word) {
    return OdbcError("42000", (word.empty() ? std::string("These") : word) +
                                  " statements cannot run: the dBase driver is read-only and "
                                  "runs only SELECT");
}

void CheckReadable(DbfTable& table, int field, const std::string& name) {
    const DbfField& f = table.Fields()[static_cast<std::size_t>(field)];
    const std::string refusal = Refusal(f, name);
    if (!refusal.empty()) throw OdbcError("HY000", refusal);
    try {
        if (f.type == 'M') table.Memo();  // a missing memo file is named before any row
    } catch (const DbfError& e) {
        throw OdbcError("HY000", e.what());
    }
}

void SqlEngine::FailPrepare(const std::string& sql, const std::string& text,
                            const std::map<std::string, OdbcError, NoCase>& unopened) {
    // SQLite says which name it missed only in words.
    const std::string message = sqlite3_errmsg(db_);
    if (StartsWith(message, "no such table: ")) {
        std::string table = message.substr(15);
        if (StartsWith(table, "main.")) table = table.substr(5);
        auto it = unopened.find(table);
        if (it != unopened.end()) throw it->second;
        throw TableNotFound(table, folder_);
    }
    if (StartsWith(message, "no such column: ")) {
        std::string column = message.substr(16);
        const std::size_t dot = column.rfind('.');
        if (dot != std::string::npos) {
            const std::string table = column.substr(0, dot);
            column = column.substr(dot + 1);
            if (std::optional<std::string> path = FindTableFile(folder_, table))
                throw ColumnNotFound(column, table, *path);
        }
        // With one table in the statement, the message is the one a plain SELECT gives.
        std::vector<std::string> named;
        ForEachName(sql, [&](const std::string& name) {
            auto table = tables_.find(name);
            if (table != tables_.end() &&
                std::find(named.begin(), named.end(), table->first) == named.end())
                named.push_back(table->first);
        });
        if (named.size() == 1) throw ColumnNotFound(column, named[0], tables_.at(named[0]).path);
        throw OdbcError("42S22", "Column '" + column +
                                     "' not found in the tables of the query (folder '" +
                                     (folder_.empty() ? "." : folder_) + "')");
    }
    // SQLite says `near "x": syntax error`; other faults (an unknown function, a wrong
    // number of arguments) are said as they are. Either way the query is quoted.
    const std::string kSyntax = ": syntax error";
    if (message.size() > kSyntax.size() &&
        message.compare(message.size() - kSyntax.size(), kSyntax.size(), kSyntax) == 0)
        throw OdbcError("42000", "Syntax error " +
                                     message.substr(0, message.size() - kSyntax.size()) + " in '" +
                                     text + "'");
    throw OdbcError("42000", "Syntax error, " + message + " in '" + text + "'");
}

StmtPtr SqlEngine::Prepare(const std::string& text) {
    std::string sql;
    try {
        sql = TranslateSql(text);
    } catch (const SyntaxError& e) {
        throw OdbcError("42000", e.what());
    }
    const std::string word = FirstWord(sql);
    if (IsChange(word)) throw ReadOnlyRefusal(word);
    // The tables are made, before the statement is prepared, from the names it mentions
    // that have a file (the folder is listed once for all of them). A name may be a
    // column's too, so a file that cannot be read is refused only if the statement turns
    // out to need it as a table.
    std::set<std::string, NoCase> names;
    ForEachName(sql, [&](const std::string& name) {
        if (tables_.count(name) == 0) names.insert(name);
    });
    std::map<std::string, OdbcError, NoCase> unopened;
    if (!names.empty())
        for (const std::string& listed : ListTables(folder_)) {
            auto name = names.find(listed);
            if (name == names.end() || tables_.count(*name) != 0) continue;
            try {
                if (std::optional<std::string> path = FindTableFile(folder_, *name))
                    CreateTable(*name, *path);
            } catch (const OdbcError& e) {
                unopened.emplace(*name, e);
            }
        }
    reader_error_.reset();
    denied_ = false;
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1), &raw, &tail);
    StmtPtr stmt(raw);
    if (denied_ || (rc == SQLITE_OK && stmt && !sqlite3_stmt_readonly(stmt.get())))
        throw ReadOnlyRefusal(word);
    if (rc != SQLITE_OK) {
        if (reader_error_) throw *reader_error_;
        if (rc == SQLITE_NOMEM) throw OdbcError("HY001", sqlite3_errmsg(db_));
        FailPrepare(sql, text, unopened);
    }
    while (tail != nullptr && *tail != '\0' &&
           (std::isspace(static_cast<unsigned char>(*tail)) || *tail == ';'))
        ++tail;
    if (!stmt) throw OdbcError("42000", "Syntax error, no statement in '" + text + "'");
    if (tail != nullptr && *tail != '\0')
        throw OdbcError("42000", "Syntax error, only one statement may run at a time, near '" +
                                     std::string(tail).substr(0, 40) + "'");
    return stmt;
}

const DbfField* SqlEngine::FindField(const std::string& table, const std::string& column) const {
    auto it = tables_.find(table);
    if (it == tables_.end()) return nullptr;
    for (const DbfField& field : it->second.fields)
        if (field.name == column) return &field;
    return nullptr;
}

void SqlEngine::FailStep(int rc) {
    if (reader_error_) {
        OdbcError error = *reader_error_;
        reader_error_.reset();
        throw error;
    }
    throw OdbcError(rc == SQLITE_NOMEM ? "HY001" : "HY000", sqlite3_errmsg(db_));
}

}  // namespace kdbf
