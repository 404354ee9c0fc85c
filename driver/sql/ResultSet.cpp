#include "driver/sql/ResultSet.h"

#include "driver/base/Diagnostics.h"
#include "driver/dbf/FieldValue.h"

namespace kdbf {

namespace {

class TableResult : public ResultSet {
public:
    TableResult(std::unique_ptr<DbfTable> table, std::vector<int> fields, const std::string& name,
                bool forward_only)
        : table_(std::move(table)), fields_(std::move(fields)), forward_only_(forward_only) {
        for (int f : fields_) columns_.push_back(DescribeField(table_->Fields()[f], name));
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    bool HasRow(std::size_t row) override { return RecordOf(row, nullptr); }

    std::size_t CountRows() override {
        if (!forward_only_) {
            RecordOf(kAll, nullptr);
            return identity_ + visible_.size();
        }
        std::size_t count = 0;
        for (std::uint32_t r = 0; r < table_->RecordCount(); ++r) {
            Load(r);
            if (!table_->IsDeleted()) ++count;
        }
        return count;
    }

    std::optional<std::string> Cell(std::size_t row, int column) override {
        std::uint32_t record = 0;
        if (!RecordOf(row, &record)) throw OdbcError("HY109", "Invalid cursor position");
        Load(record);
        const auto index = static_cast<std::size_t>(column);
        std::string text;
        if (!FieldText(*table_, fields_.at(index), columns_[index].name, &text))
            return std::nullopt;
        return text;
    }

private:
    static constexpr std::size_t kAll = static_cast<std::size_t>(-1);

    // Finds the record of visible row `row`; false when there is no such row. Walks the
    // records in order, skipping deleted ones. A scrollable result remembers the record
    // of every row it passed (none while no record was deleted: row and record agree);
    // a forward-only one remembers only the last, and starts again if asked to go back.
    bool RecordOf(std::size_t row, std::uint32_t* record) {
        const std::uint32_t count = table_->RecordCount();
        if (forward_only_) {
            if (!on_row_ || row < row_) {
                on_row_ = false;
                row_ = 0;
                next_record_ = 0;
            }
            while (!(on_row_ && row_ == row) && next_record_ < count) {
                Load(next_record_);
                if (!table_->IsDeleted()) {
                    if (on_row_) ++row_;
                    on_row_ = true;
                    record_ = next_record_;
                }
                ++next_record_;
            }
            if (!on_row_ || row_ != row) return false;
            if (record != nullptr) *record = record_;
            return true;
        }
        while (identity_ + visible_.size() <= row && next_record_ < count) {
            Load(next_record_);
            if (!table_->IsDeleted()) {
                if (visible_.empty() && identity_ == next_record_)
                    ++identity_;
                else
                    visible_.push_back(next_record_);
            }
            ++next_record_;
        }
        if (row >= identity_ + visible_.size()) return false;
        if (record != nullptr)
            *record = row < identity_ ? static_cast<std::uint32_t>(row) : visible_[row - identity_];
        return true;
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
    const bool forward_only_;
    std::uint32_t next_record_ = 0;  // the first record not yet walked
    // Scrollable: rows below identity_ are the records of the same number; then visible_.
    std::size_t identity_ = 0;
    std::vector<std::uint32_t> visible_;
    // Forward-only: the last row found and its record.
    bool on_row_ = false;
    std::size_t row_ = 0;
    std::uint32_t record_ = 0;
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
        if (index < 0)
            throw OdbcError("42S22", "Column '" + ref.column + "' not found in table '" + name +
                                         "' (file '" + table->Path() + "')");
        fields.push_back(index);
    }
    for (int index : fields) {
        const DbfField& field = table->Fields()[static_cast<std::size_t>(index)];
        const std::string refusal = Refusal(field, name);
        if (!refusal.empty()) throw OdbcError("HY000", refusal);
        try {
            if (field.type == 'M') table->Memo();  // a missing memo file is named now
        } catch (const DbfError& e) {
            throw OdbcError("HY000", e.what());
        }
    }
    return std::make_unique<TableResult>(std::move(table), std::move(fields), name, forward_only);
}

std::unique_ptr<ResultSet> MakeListResult(
    std::vector<ColumnInfo> columns, std::vector<std::vector<std::optional<std::string>>> rows) {
    return std::make_unique<ListResult>(std::move(columns), std::move(rows));
}

}  // namespace kdbf
