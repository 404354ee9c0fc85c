// Writes real dBase III tables with shapelib, so tests need no checked-in binary files.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One record of a price table: the eleven prices F1..FB, each a value or blank.
using CPriceRow = std::vector<std::optional<double>>;

struct SDbfColumn {
    std::string strName;  // at most 10 characters
    char cType = 'N';     // 'N', 'F', 'C', 'L' or 'D'
    int nWidth = 12;
    int nDecimals = 3;
};

// The eleven price columns F1..F9, FA, FB as the publisher's tables have them (N 12.3).
std::vector<SDbfColumn> PriceColumns();

// Writes `rows` (each with as many cells as `columns`, nullopt for blank) to `strPath`
// and returns true on success. Text cells are given through `textRows` when a column
// is of type C, L or D: textRows[r][c] is used where rows[r][c] is nullopt.
bool WriteDbf(const std::string& strPath, const std::vector<SDbfColumn>& columns,
              const std::vector<CPriceRow>& rows,
              const std::vector<std::vector<std::string>>& textRows = {});

// A price table of `nRecords` records whose prices are distinct and predictable:
// record r (from 1), field f (1..11) holds PriceValue(r, f), all of it PriceRecord(r).
bool WritePriceTable(const std::string& strPath, int nRecords);
double PriceValue(int nRecord, int nField);
CPriceRow PriceRecord(int nRecord);

// Marks record `nRecord` (from 0) deleted. shapelib finds the file only when its
// extension is spelt ".dbf" or ".DBF".
bool MarkDeleted(const std::string& strPath, int nRecord);
