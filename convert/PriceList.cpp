#include "convert/PriceList.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "convert/OutputFile.h"
#include "convert/LocalTime.h"
#include "convert/PapRecord.h"
#include "log/FileOps.h"

namespace {

// Mass bounds in hundredths of a carat: integers, so the file never depends on the
// locale's decimal point.
struct SMassRange {
    int nFrom;
    int nTo;
};

// The ranges of the 19-table layout. The first six are 8x5 tables; the last one is the
// open-ended table, which repeats the rows of the one before it.
constexpr std::array<SMassRange, 19> kRanges = {{
    {1, 3},     {4, 7},     {8, 14},    {15, 17},   {18, 22},      {23, 29},   {30, 37},
    {38, 45},   {46, 49},   {50, 69},   {70, 89},   {90, 99},      {100, 149}, {150, 199},
    {200, 299}, {300, 399}, {400, 499}, {500, 599}, {600, 100000},
}};
constexpr size_t kSmallTables = 6;
// The 15-table layout drops the first four ranges and widens the next one down to 0.01.
constexpr size_t kFifteenTablesSkip = 4;

struct STableKind {
    const char* pszFormat;
    const char* pszHeader;
    std::array<const char*, 10> labels;
    int nRows;
    int nColumns;
};

constexpr STableKind kSmall = {
    "\nFormat: clarity 8       5\n",
    "        IF-VVS2 VS1-VS2 SI1     SI2     SI3     I1      I2      I3\n",
    {"D-F", "G-H", "I-J", "K-L", "M-N"},
    5,
    8};
constexpr STableKind kLarge = {
    "\nFormat: clarity 11      10\n",
    "        IF      VVS1    VVS2    VS1     VS2     SI1     SI2     SI3     I1      I2      I3\n",
    {"D", "E", "F", "G", "H", "I", "J", "K", "L", "M"},
    10,
    11};

std::string Bound(int nHundredths) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%d.%02d", nHundredths / 100, nHundredths % 100);
    return sz;
}

// Format, mass, magnify and header lines of one table.
std::string TableHead(const STableKind& kind, const SMassRange& range) {
    return std::string(kind.pszFormat) + "Mass:   " + Bound(range.nFrom) + "    " +
           Bound(range.nTo) + "\nMagnify:        1\n" + kind.pszHeader;
}

std::string PadRight(std::string str, size_t nWidth) {
    if (str.size() < nWidth) str.append(nWidth - str.size(), ' ');
    return str;
}

// One row from the current record; a field never grows shorter than five characters
// but is never cut, so a long value pushes the later fields right.
std::string RowLine(const STableKind& kind, int nRow, const CPapRecord& rs) {
    std::string strLine = PadRight(kind.labels[static_cast<size_t>(nRow)], 8);
    for (int nField = 0; nField < kind.nColumns; ++nField) {
        if (nField > 0) strLine += "   ";
        double dValue = rs.IsFieldNull(nField) ? 0.0 : rs.Field(nField);
        strLine += PadRight(CellText(dValue), 5);
    }
    return strLine + "\n";
}

std::string CommentBlock(const std::string& strCutName, const std::string& strInputPath) {
    std::string strText = "; Price list for " + strCutName + " diamonds\n" + "; Generated from \"" +
                          strInputPath + "\" file\n";
    std::time_t nModified = 0;
    if (FileModifiedTime(strInputPath, nModified))
        strText += "; The original file's date was " + DateText(nModified) + "\n";
    return strText;
}

}  // namespace

std::string CellText(double dValue) {
    double dCell = std::floor(dValue * 100.0 + 0.5);
    if (!std::isfinite(dCell)) return "0";
    if (dCell >= INT32_MIN && dCell <= INT32_MAX)
        return std::to_string(static_cast<int32_t>(dCell));
    // Beyond 32 bits: the exact whole number rather than a wrapped one. dCell is
    // integral, so "%.0f" prints it without rounding.
    char sz[400];
    std::snprintf(sz, sizeof sz, "%.0f", dCell);
    return sz;
}

std::string DateText(std::time_t nTime) {
    static const char* const kMonths[12] = {"January",   "February", "March",    "April",
                                            "May",       "June",     "July",     "August",
                                            "September", "October",  "November", "December"};
    std::tm tmLocal{};
    if (!ToLocalTime(nTime, tmLocal)) return "";
    char sz[64];
    std::snprintf(sz, sizeof sz, "%s %02d, %d", kMonths[tmLocal.tm_mon % 12], tmLocal.tm_mday,
                  tmLocal.tm_year + 1900);
    return sz;
}

void WritePriceList(COutputFile& file, const std::string& strCutName,
                    const std::string& strInputPath, bool bNineteenTables, CPapRecord& rs) {
    file.Write(CommentBlock(strCutName, strInputPath));
    file.Write(bNineteenTables ? "\nTables: 19\n" : "\nTables: 15\n");

    const size_t nFirst = bNineteenTables ? 0 : kFifteenTablesSkip;
    const size_t nOpenEnded = kRanges.size() - 1;
    std::string strOpenEnded;
    for (size_t nTable = nFirst; nTable < nOpenEnded; ++nTable) {
        const STableKind& kind = nTable < kSmallTables ? kSmall : kLarge;
        SMassRange range = kRanges[nTable];
        if (nTable == nFirst) range.nFrom = kRanges[0].nFrom;
        // The last table with records of its own also feeds the open-ended table, from
        // memory, so the table is read only once.
        const bool bFeedsOpenEnded = nTable + 1 == nOpenEnded;
        if (bFeedsOpenEnded) strOpenEnded = TableHead(kLarge, kRanges[nOpenEnded]);
        file.Write(TableHead(kind, range));
        for (int nRow = 0; nRow < kind.nRows; ++nRow) {
            std::string strRow = RowLine(kind, nRow, rs);
            file.Write(strRow);
            if (bFeedsOpenEnded) strOpenEnded += strRow;
            rs.MoveNext();
        }
    }
    file.Write(strOpenEnded);
}
