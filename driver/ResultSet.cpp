#include "driver/ResultSet.h"

#include "driver/Diagnostics.h"

namespace kdbf {

ColumnInfo DescribeField(const DbfField& field, const std::string& table) {
    ColumnInfo info;
    info.name = field.name;
    info.table = table;
    if (field.type == 'N' || field.type == 'F') {
        info.sql_type = SQL_DOUBLE;
        info.size = 15;  // the precision of a double in decimal digits
        info.decimals = static_cast<SQLSMALLINT>(field.decimals);
    } else {
        info.sql_type = SQL_CHAR;
        info.size = static_cast<SQLULEN>(field.width);
    }
    return info;
}

namespace {

class TableResult : public ResultSet {
public:
    TableResult(std::unique_ptr<DbfTable> table, std::vector<int> fields, const std::string& name)
        : table_(std::move(table)), fields_(std::move(fields)) {
        for (int f : fields_) columns_.push_back(DescribeField(table_->Fields()[f], name));
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    // Visible rows are found by walking the records in order and remembering the
    // record number of each one that is not deleted, so that a scrollable cursor can
    // go back without reading the table again.
    bool HasRow(std::size_t row) override {
        while (visible_.size() <= row && next_record_ < table_->RecordCount()) {
            Load(next_record_);
            if (!table_->IsDeleted()) visible_.push_back(next_record_);
            ++next_record_;
        }
        return row < visible_.size();
    }

    std::size_t CountRows() override {
        HasRow(static_cast<std::size_t>(table_->RecordCount()));
        return visible_.size();
    }

    std::optional<std::string> Cell(std::size_t row, int column) override {
        if (!HasRow(row)) throw OdbcError("HY109", "Invalid cursor position");
        Load(visible_[row]);
        const DbfField& field = table_->Fields()[fields_.at(static_cast<std::size_t>(column))];
        std::string text = TrimFieldText(table_->RawText(fields_[column]), field.type);
        const bool numeric = field.type == 'N' || field.type == 'F';
        // A blank number, or one of asterisks (dBase's overflow mark), has no value.
        if (numeric && (text.empty() || text.find_first_not_of('*') == std::string::npos))
            return std::nullopt;
        return text;
    }

private:
    void Load(std::uint32_t record) {
        try {
            table_->Load(record);
        } catch (const DbfError& e) {
            throw OdbcError("HY000", e.what());
        }
    }

    std::unique_ptr<DbfTable> table_;
    std::vector<int> fields_;
    std::vector<ColumnInfo> columns_;
    std::vector<std::uint32_t> visible_;
    std::uint32_t next_record_ = 0;
};

class ListResult : public ResultSet {
public:
    ListResult(std::vector<ColumnInfo> columns,
               std::vector<std::vector<std::optional<std::string>>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }
    bool HasRow(std::size_t row) override { return row < rows_.size(); }
    std::size_t CountRows() override { return rows_.size(); }
    std::optional<std::string> Cell(std::size_t row, int column) override {
        return rows_.at(row).at(static_cast<std::size_t>(column));
    }

private:
    std::vector<ColumnInfo> columns_;
    std::vector<std::vector<std::optional<std::string>>> rows_;
};

}  // namespace

std::unique_ptr<ResultSet> MakeTableResult(std::unique_ptr<DbfTable> table,
                                           const SelectQuery& query, const std::string& name) {
    std::vector<int> fields;
    if (query.all_columns) {
        for (std::size_t i = 0; i < table->Fields().size(); ++i)
            fields.push_back(static_cast<int>(i));
    }
    for (const ColumnRef& ref : query.columns) {
        int index = table->FindField(ref.column);
        if (index < 0)
            throw OdbcError("42S22", "Column '" + ref.column + "' not found in table '" + name +
                                         "' (file '" + table->Path() + "')");
        fields.push_back(index);
    }
    return std::make_unique<TableResult>(std::move(table), std::move(fields), name);
}

std::unique_ptr<ResultSet> MakeListResult(
    std::vector<ColumnInfo> columns, std::vector<std::vector<std::optional<std::string>>> rows) {
    return std::make_unique<ListResult>(std::move(columns), std::move(rows));
}

}  // namespace kdbf
