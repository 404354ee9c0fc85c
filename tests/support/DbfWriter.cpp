#include "tests/support/DbfWriter.h"

#include <shapefil.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

std::vector<SDbfColumn> PriceColumns() {
    std::vector<SDbfColumn> columns;
    for (const char* pszName : {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "FA", "FB"})
        columns.push_back({pszName, 'N', 12, 3});
    return columns;
}

double PriceValue(int nRecord, int nField) { return nRecord * 4.0 + nField * 0.25; }

namespace {

bool WriteCell(DBFHandle h, int nRow, int nCol, const SDbfColumn& column,
               const std::optional<double>& value, const std::string& strText) {
    if (column.cType == 'N' || column.cType == 'F') {
        // A blank numeric cell is all blanks, as dBase itself writes it.
        if (!value) return DBFWriteAttributeDirectly(h, nRow, nCol, const_cast<char*>("")) != 0;
        return DBFWriteDoubleAttribute(h, nRow, nCol, *value) != 0;
    }
    return DBFWriteAttributeDirectly(h, nRow, nCol, const_cast<char*>(strText.c_str())) != 0;
}

}  // namespace

bool WriteDbf(const std::string& strPath, const std::vector<SDbfColumn>& columns,
              const std::vector<CPriceRow>& rows,
              const std::vector<std::vector<std::string>>& textRows) {
    // shapelib always names the file "<base>.dbf"; write there, then move it into place
    // so that tests can ask for any name and letter case.
    std::filesystem::path folder = std::filesystem::path(strPath).parent_path();
    std::string strTemp = (folder / ("kestrix-writing-" + std::to_string(getpid()) + ".dbf")).string();
    DBFHandle h = DBFCreate(strTemp.c_str());
    if (!h) return false;
    DBFSetWriteEndOfFileChar(h, 1);
    bool bOk = true;
    for (const SDbfColumn& column : columns) {
        bOk = bOk && DBFAddNativeFieldType(h, column.strName.c_str(), column.cType, column.nWidth,
                                           column.nDecimals) >= 0;
    }
    for (size_t r = 0; bOk && r < rows.size(); ++r) {
        for (size_t c = 0; bOk && c < columns.size(); ++c) {
            std::optional<double> value = c < rows[r].size() ? rows[r][c] : std::nullopt;
            std::string strText =
                r < textRows.size() && c < textRows[r].size() ? textRows[r][c] : std::string();
            bOk = WriteCell(h, static_cast<int>(r), static_cast<int>(c), columns[c], value,
                            strText);
        }
    }
    DBFClose(h);
    std::error_code ec;
    if (bOk) std::filesystem::rename(strTemp, strPath, ec);
    std::filesystem::remove(strTemp, ec);
    return bOk && !ec;
}

CPriceRow PriceRecord(int nRecord) {
    CPriceRow prices;
    for (int f = 1; f <= 11; ++f) prices.push_back(PriceValue(nRecord, f));
    return prices;
}

bool WritePriceTable(const std::string& strPath, int nRecords) {
    std::vector<CPriceRow> rows;
    for (int r = 1; r <= nRecords; ++r) rows.push_back(PriceRecord(r));
    return WriteDbf(strPath, PriceColumns(), rows);
}

bool MarkDeleted(const std::string& strPath, int nRecord) {
    DBFHandle h = DBFOpen(strPath.c_str(), "rb+");
    if (!h) return false;
    bool bOk = DBFMarkRecordDeleted(h, nRecord, 1) != 0;
    DBFClose(h);
    return bOk;
}
