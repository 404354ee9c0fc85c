// The writer of one price-list file, the text the companion application reads.
#pragma once

#include <ctime>
#include <string>

class COutputFile;
class CPapRecord;

// Writes the whole price list for `strCutName` to `file`: the comment block (with the
// modification date of `strInputPath` when it can be read), the table count and the
// tables of the 19-table layout (`bNineteenTables`) or the 15-table layout, consuming
// 150 or 130 records from `rs`, which must stand on its first record and hold at least
// that many. Throws the file's CFileException on a write failure, CDBException on a
// failed move; what was written stays written.
void WritePriceList(COutputFile& file, const std::string& strCutName,
                    const std::string& strInputPath, bool bNineteenTables, CPapRecord& rs);

// The text of one cell: floor(dValue * 100 + 0.5) as a whole number. Values beyond the
// 32-bit range are written as their exact whole number; a non-finite value as 0.
std::string CellText(double dValue);

// The date comment's text for a time stamp in local time: "March 05, 2004". English
// month names whatever the locale.
std::string DateText(std::time_t nTime);
