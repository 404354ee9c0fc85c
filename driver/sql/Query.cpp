#include "driver/sql/Query.h"

#include <sqlite3.h>

#include "driver/dbf/Folder.h"
#include "driver/sql/QueryParser.h"
#include "driver/sql/SqlResult.h"

namespace kdbf {
namespace {

std::unique_ptr<ResultSet> OpenPlain(const QueryPlace& place, const SelectQuery& query,
                                     bool forward_only) {
    std::optional<std::string> path = FindTableFile(place.folder, query.table);
    if (!path) throw TableNotFound(query.table, place.folder);
    std::unique_ptr<DbfTable> table;
    try {
        table = DbfTable::Open(*path, place.options);
    } catch (const DbfError& e) {
        throw OdbcError("HY000", e.what());
    }
    return MakeTableResult(std::move(table), query, query.table, forward_only);
}

}  // namespace

std::unique_ptr<ResultSet> OpenQuery(const QueryPlace& place, const std::string& text,
                                     const SqlParams& params, bool all_params, bool forward_only) {
    if (std::optional<SelectQuery> query = ParsePlainSelect(text))
        return OpenPlain(place, *query, forward_only);
    return MakeSqlResult(place.engine(), text, params, all_params, forward_only);
}

int PrepareQuery(const QueryPlace& place, const std::string& text) {
    if (std::optional<SelectQuery> query = ParsePlainSelect(text)) {
        OpenPlain(place, *query, true);  // reads the header only, as preparing reads nothing
        return 0;
    }
    return sqlite3_bind_parameter_count(place.engine().Prepare(text).get());
}

}  // namespace kdbf
