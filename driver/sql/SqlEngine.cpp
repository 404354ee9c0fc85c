#include "driver/sql/SqlEngine.h"

#include <sqlite3.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

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

std::string QuoteName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

struct DbfVtab : sqlite3_vtab {
    std::string name;  // as the statement named it
    std::string path;
    std::vector<Kind> kinds;  // by field
    TableOptions options;
    std::uint32_t records = 0;
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
    static int Create(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out,
                      char** error) {
        auto* engine = static_cast<SqlEngine*>(aux);
        std::unique_ptr<DbfTable> table;
        try {
            table = DbfTable::Open(engine->pending_path_, engine->options_);
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
        const int rc = sqlite3_declare_vtab(db, declaration.c_str());
        if (rc != SQLITE_OK) return rc;
        auto* vtab = new DbfVtab();
        vtab->name = engine->pending_name_;
        for (const DbfField& field : table->Fields()) vtab->kinds.push_back(KindOf(field));
        vtab->path = engine->pending_path_;
        vtab->options = engine->options_;
        engine->tables_[engine->pending_name_] = Table{engine->pending_path_, table->Fields()};
        vtab->records = table->RecordCount();
        vtab->reader_error = &engine->reader_error_;
        *out = vtab;
        return SQLITE_OK;
    }

    // SQLite connects the tables it knows again whenever it rereads its schema (after
    // a failed CREATE VIRTUAL TABLE, for one). Only tables the driver made connect:
    // a Connect apart from Create also keeps the module from being an eponymous table.
    static int Connect(sqlite3* db, void* aux, int argc, const char* const* argv,
                       sqlite3_vtab** out, char** error) {
        auto* engine = static_cast<SqlEngine*>(aux);
        auto it = argc > 2 ? engine->tables_.find(argv[2]) : engine->tables_.end();
        if (it == engine->tables_.end()) {
            *error = sqlite3_mprintf("dBase tables are made by the driver only");
            return SQLITE_ERROR;
        }
        engine->pending_name_ = it->first;
        engine->pending_path_ = it->second.path;
        const bool internal = engine->internal_;
        engine->internal_ = true;  // declaring the columns is the driver's own doing
        const int rc = Create(db, aux, argc, argv, out, error);
        engine->internal_ = internal;
        return rc;
    }

    // A full scan in record order is all the module offers; SQLite filters, sorts and
    // joins. The estimate lets the planner put the smaller table outside in a join.
    static int BestIndex(sqlite3_vtab* base, sqlite3_index_info* info) {
        const auto* vtab = static_cast<DbfVtab*>(base);
        info->estimatedCost = static_cast<double>(vtab->records) + 1;
        info->estimatedRows = vtab->records;
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

    static int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
        auto* cursor = static_cast<DbfCursor*>(base);
        auto* vtab = static_cast<DbfVtab*>(base->pVtab);
        DbfTable& table = *cursor->table;
        try {
            // The file may have been replaced since the table was declared.
            if (static_cast<std::size_t>(index) >= table.Fields().size())
                throw OdbcError("HY000", "Table '" + vtab->name + "' (file '" + vtab->path +
                                             "') changed while the connection was open");
            const DbfField& field = table.Fields()[static_cast<std::size_t>(index)];
            const Kind kind = vtab->kinds[static_cast<std::size_t>(index)];
            if (kind == Kind::kUnreadable) throw OdbcError("HY000", Refusal(field, vtab->name));
            std::string& text = cursor->text;
            if (!FieldText(table, index, field.name, &text)) return SQLITE_OK;  // NULL
            switch (kind) {
                case Kind::kInteger:
                case Kind::kBoolean: {
                    sqlite3_int64 number = 0;
                    auto [end, ec] =
                        std::from_chars(text.data(), text.data() + text.size(), number);
                    if (ec == std::errc() && end == text.data() + text.size()) {
                        sqlite3_result_int64(context, number);
                        return SQLITE_OK;
                    }
                    [[fallthrough]];  // too wide for 64 bits, or "1." in an N field
                }
                case Kind::kReal: {
                    double number = 0;
                    const char* first = text.data() + (!text.empty() && text[0] == '+');
                    std::from_chars(first, text.data() + text.size(), number);
                    sqlite3_result_double(context, number);
                    return SQLITE_OK;
                }
                case Kind::kBlob:
                    sqlite3_result_blob(context, text.data(), static_cast<int>(text.size()),
                                        SQLITE_TRANSIENT);
                    return SQLITE_OK;
                default:
                    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()),
                                        SQLITE_TRANSIENT);
                    return SQLITE_OK;
            }
        } catch (const OdbcError& e) {
            ReaderFailed(vtab, vtab->reader_error, e);
        } catch (const DbfError& e) {
            ReaderFailed(vtab, vtab->reader_error, OdbcError("HY000", e.what()));
        }
        sqlite3_result_error(context, vtab->zErrMsg, -1);
        return SQLITE_ERROR;
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
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) !=
        SQLITE_OK) {
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
    pending_name_ = name;
    pending_path_ = path;
    internal_ = true;
    char* error = nullptr;
    const std::string sql = "CREATE VIRTUAL TABLE " + QuoteName(name) + " USING kestrix_dbf";
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    internal_ = false;
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    if (rc != SQLITE_OK) throw OdbcError("HY000", message);
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

// The tables among `names` that `sql` mentions (as a word or a quoted name): those of
// the statement, short of a column that happens to share a table's name.
template <class Map>
std::vector<std::string> TablesNamedIn(const std::string& sql, const Map& names) {
    std::vector<std::string> found;
    auto consider = [&](const std::string& word) {
        for (const auto& [name, table] : names)
            if (strcasecmp(name.c_str(), word.c_str()) == 0 &&
                std::find(found.begin(), found.end(), name) == found.end())
                found.push_back(name);
    };
    for (std::size_t i = 0; i < sql.size();) {
        const auto c = static_cast<unsigned char>(sql[i]);
        if (c == '"') {
            std::string word;
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == '"' && (i + 1 >= sql.size() || sql[++i] != '"')) break;
                word += sql[i];
            }
            consider(word);
        } else if (std::isalnum(c) || c == '_' || c >= 0x80) {
            std::size_t end = i;
            while (end < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_' ||
                    static_cast<unsigned char>(sql[end]) >= 0x80))
                ++end;
            consider(sql.substr(i, end - i));
            i = end;
        } else {
            ++i;
        }
    }
    return found;
}

}  // namespace

void SqlEngine::FailPrepare(const std::string& text, const std::string& message) {
    const std::string shown_folder = folder_.empty() ? "." : folder_;
    if (StartsWith(message, "no such column: ")) {
        std::string column = message.substr(16);
        const std::size_t dot = column.rfind('.');
        if (dot != std::string::npos) {
            const std::string table = column.substr(0, dot);
            column = column.substr(dot + 1);
            if (std::optional<std::string> path = FindTableFile(folder_, table))
                throw OdbcError("42S22", "Column '" + column + "' not found in table '" + table +
                                             "' (file '" + *path + "')");
        }
        // With one table in the statement, the message is the one a plain SELECT gives.
        const std::vector<std::string> tables = TablesNamedIn(TranslateSql(text), tables_);
        if (tables.size() == 1)
            throw OdbcError("42S22", "Column '" + column + "' not found in table '" + tables[0] +
                                         "' (file '" + tables_.at(tables[0]).path + "')");
        throw OdbcError("42S22", "Column '" + column +
                                     "' not found in the tables of the query (folder '" +
                                     shown_folder + "')");
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
    reader_error_.reset();
    std::vector<std::string> created;
    for (;;) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        denied_ = false;
        const int rc =
            sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1), &raw, &tail);
        StmtPtr stmt(raw);
        const std::string message = sqlite3_errmsg(db_);
        const std::string word = FirstWord(sql);
        if (denied_ || (rc == SQLITE_OK && stmt && !sqlite3_stmt_readonly(stmt.get())) ||
            message.find("may not be modified") != std::string::npos)
            throw OdbcError("42000", (word.empty() ? std::string("These") : word) +
                                         " statements cannot run: the dBase driver is read-only "
                                         "and runs only SELECT");
        if (rc == SQLITE_OK) {
            while (tail != nullptr && *tail != '\0' &&
                   (std::isspace(static_cast<unsigned char>(*tail)) || *tail == ';'))
                ++tail;
            if (!stmt) throw OdbcError("42000", "Syntax error, no statement in '" + text + "'");
            if (tail != nullptr && *tail != '\0')
                throw OdbcError("42000",
                                "Syntax error, only one statement may run at a time, near '" +
                                    std::string(tail).substr(0, 40) + "'");
            return stmt;
        }
        if (!StartsWith(message, "no such table: ")) FailPrepare(text, message);
        std::string table = message.substr(15);
        if (StartsWith(table, "main.")) table = table.substr(5);
        std::optional<std::string> path = FindTableFile(folder_, table);
        // A name SQLite still misses after its table was made (a schema-qualified one)
        // has no table the folder can give.
        if (std::find(created.begin(), created.end(), table) != created.end()) path.reset();
        if (!path)
            throw OdbcError("42S02", "Table '" + table + "' not found: no file '" + table +
                                         ".dbf' in folder '" + (folder_.empty() ? "." : folder_) +
                                         "'");
        CreateTable(table, *path);
        created.push_back(table);
    }
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
