#include "driver/sql/ResultSet.h"

#include "driver/base/Diagnostics.h"
#include "driver/dbf/FieldValue.h"
#include "driver/sql/SqlEngine.h"

namespace kdbf {

namespace {

class TableResult : public ResultSet {
public:
    TableResult(std::unique_ptr<DbfTable> table, std::vector<int> fields, const std::string& name,
                bool forward_only)
        : table_(std::move(table)), fields_(std::move(fields)), rows_(forward_only) {
        for (int f : fields_) columns_.push_back(DescribeField(table_->Fields()[f], name));
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    bool HasRow(std::size_t row) override { return Reach(row); }

    std::size_t CountRows() override {
        Reach(RowTrack::kEnd);
        return rows_.Reached();
    }

    std::optional<std::string> Cell(std::size_t row, int column) override {
        if (!Reach(row)) throw OdbcError("HY109", "Invalid cursor position");
        Load(rows_.ForwardOnly() ? record_
             : row < identity_   ? static_cast<std::uint32_t>(row)
                                 : visible_[row - identity_]);
        const auto index = static_cast<std::size_t>(column);
        std::string text;
        if (!FieldText(*table_, fields_.at(index), columns_[index].name, &text))
            return std::nullopt;
        return text;
    }

private:
    // Walks the records in order, skipping deleted ones. A static result remembers the
    // record of every row it passed (none while no record was deleted: row and record
    // agree); a forward-only one only the last.
    bool Reach(std::size_t row) {
        auto step = [this](std::size_t n) {
            for (; next_record_ < table_->RecordCount(); ++next_record_) {
                Load(next_record_);
                if (table_->IsDeleted()) continue;
                record_ = next_record_++;
                if (rows_.ForwardOnly()) return true;
                if (visible_.empty() && identity_ == record_)
                    identity_ = n + 1;
                else
                    visible_.push_back(record_);
                return true;
            }
            return false;
        };
        return rows_.Reach(row, step, [this] { next_record_ = 0; });
    }

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
    RowTrack rows_;
    std::uint32_t next_record_ = 0;  // the first record not yet walked
    std::uint32_t record_ = 0;       // of the last row reached
    // Static: rows below identity_ are the records of the same number; then visible_.
    std::size_t identity_ = 0;
    std::vector<std::uint32_t> visible_;
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
                                           const SelectQuery& query, const std::string& name,
                                           bool forward_only) {
    std::vector<int> fields;
    if (query.all_columns) {
        for (std::size_t i = 0; i < table->Fields().size(); ++i)
            fields.push_back(static_cast<int>(i));
    }
    for (const ColumnRef& ref : query.columns) {
        int index = table->FindField(ref.column);
        if (index < 0) throw ColumnNotFound(ref.column, name, table->Path());
        fields.push_back(index);
    }
    for (int index : fields) CheckReadable(*table, index, name);
    return std::make_unique<TableResult>(std::move(table), std::move(fields), name, forward_only);
}

std::unique_ptr<ResultSet> MakeListResult(
    std::vector<ColumnInfo> columns, std::vector<std::vector<std::optional<std::string>>> rows) {
    return std::make_unique<ListResult>(std::move(columns), std::move(rows));
}

}  // namespace kdbf
