// An independent model of the price-list text, written from the format's own tables and
// line templates, so that whole-file comparisons do not trust the writer's arithmetic.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>

// The value of record `nRecord` (from 1), field `nField` (1..11); NAN for an empty one.
using PriceOf = std::function<double(int nRecord, int nField)>;

inline std::string Format(const char* pszTemplate, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* pszTemplate, ...) {
    char sz[512];
    va_list args;
    va_start(args, pszTemplate);
    std::vsnprintf(sz, sizeof sz, pszTemplate, args);
    va_end(args);
    return sz;
}

inline int Cell(double dValue) {
    return std::isnan(dValue) ? 0 : static_cast<int>(std::floor(dValue * 100 + 0.5));
}

// The text with "\n" as the file stores it.
inline std::string WithCrLf(const std::string& strText) {
    std::string strOut;
    for (char c : strText) {
        if (c == '\n') strOut += '\r';
        strOut += c;
    }
    return strOut;
}

struct SExpectedTable {
    bool bSmall;
    double dFrom, dTo;
    int nFirstRecord;
};

// Layout tables as the format lists them; the open-ended table reuses its predecessor's
// records.
inline const SExpectedTable kBrilliantTables[19] = {
    {true, 0.01, 0.03, 1},      {true, 0.04, 0.07, 6},    {true, 0.08, 0.14, 11},
    {true, 0.15, 0.17, 16},     {true, 0.18, 0.22, 21},   {true, 0.23, 0.29, 26},
    {false, 0.30, 0.37, 31},    {false, 0.38, 0.45, 41},  {false, 0.46, 0.49, 51},
    {false, 0.50, 0.69, 61},    {false, 0.70, 0.89, 71},  {false, 0.90, 0.99, 81},
    {false, 1.00, 1.49, 91},    {false, 1.50, 1.99, 101}, {false, 2.00, 2.99, 111},
    {false, 3.00, 3.99, 121},   {false, 4.00, 4.99, 131}, {false, 5.00, 5.99, 141},
    {false, 6.00, 1000.00, 141}};
inline const SExpectedTable kOtherTables[15] = {
    {true, 0.01, 0.22, 1},    {true, 0.23, 0.29, 6},    {false, 0.30, 0.37, 11},
    {false, 0.38, 0.45, 21},  {false, 0.46, 0.49, 31},  {false, 0.50, 0.69, 41},
    {false, 0.70, 0.89, 51},  {false, 0.90, 0.99, 61},  {false, 1.00, 1.49, 71},
    {false, 1.50, 1.99, 81},  {false, 2.00, 2.99, 91},  {false, 3.00, 3.99, 101},
    {false, 4.00, 4.99, 111}, {false, 5.00, 5.99, 121}, {false, 6.00, 1000.00, 121}};

inline std::string ExpectedTable(const SExpectedTable& t, const PriceOf& price) {
    static const char* const kSmallLabels[] = {"D-F", "G-H", "I-J", "K-L", "M-N"};
    static const char* const kLargeLabels[] = {"D", "E", "F", "G", "H", "I", "J", "K", "L", "M"};
    std::string s = t.bSmall ? "\nFormat: clarity 8       5\n" : "\nFormat: clarity 11      10\n";
    s += Format("Mass:   %0.2f    %0.2f\n", t.dFrom, t.dTo);
    s += "Magnify:        1\n";
    if (t.bSmall) {
        s += "        IF-VVS2 VS1-VS2 SI1     SI2     SI3     I1      I2      I3\n";
        for (int r = 0; r < 5; ++r) {
            auto c = [&](int f) { return Cell(price(t.nFirstRecord + r, f)); };
            s += Format("%s     %-5d   %-5d   %-5d   %-5d   %-5d   %-5d   %-5d   %-5d\n",
                        kSmallLabels[r], c(1), c(2), c(3), c(4), c(5), c(6), c(7), c(8));
        }
        return s;
    }
    s += "        IF      VVS1    VVS2    VS1     VS2     SI1     SI2     SI3     I1      I2      "
         "I3\n";
    for (int r = 0; r < 10; ++r) {
        auto c = [&](int f) { return Cell(price(t.nFirstRecord + r, f)); };
        s += Format(
            "%s       %-5d   %-5d   %-5d   %-5d   %-5d   %-5d   %-5d   %-5d   %-5d   "
            "%-5d   %-5d\n",
            kLargeLabels[r], c(1), c(2), c(3), c(4), c(5), c(6), c(7), c(8), c(9), c(10), c(11));
    }
    return s;
}

// The whole file, CR LF included; `strDate` empty leaves the date comment out.
inline std::string ExpectedPriceList(const std::string& strCut, const std::string& strPath,
                                     const std::string& strDate, bool bNineteen,
                                     const PriceOf& price) {
    std::string s = "; Price list for " + strCut + " diamonds\n";
    s += "; Generated from \"" + strPath + "\" file\n";
    if (!strDate.empty()) s += "; The original file's date was " + strDate + "\n";
    s += bNineteen ? "\nTables: 19\n" : "\nTables: 15\n";
    if (bNineteen) {
        for (const auto& t : kBrilliantTables) s += ExpectedTable(t, price);
    } else {
        for (const auto& t : kOtherTables) s += ExpectedTable(t, price);
    }
    return WithCrLf(s);
}
