// kestrix-samples FOLDER: writes the publisher's four standard tables (rnddat.dbf with
// 150 records, peardat.dbf, mqdat.dbf and emdat.dbf with 130) with plausible prices.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/DbfWriter.h"

namespace {

// Price per carat, in hundreds, of the best grade in each mass range of the 19-table
// layout; larger stones cost more per carat.
const double kRangeBase[18] = {8,  9,  10, 12, 14,  17,  24,  28,  32,
                               40, 52, 60, 95, 120, 175, 240, 290, 330};

// Rows of a grid go down in colour, columns down in clarity: each step a little cheaper.
CPriceRow MakeRow(double dBase, int nRow, int nColumns, double dCutFactor) {
    CPriceRow row;
    for (int nColumn = 0; nColumn < 11; ++nColumn) {
        if (nColumn >= nColumns) {
            row.push_back(std::nullopt);
            continue;
        }
        double dPrice = dBase * dCutFactor * std::pow(0.9, nRow) * std::pow(0.84, nColumn);
        row.push_back(std::round(dPrice * 10) / 10);
    }
    return row;
}

std::vector<CPriceRow> MakeTable(bool bNineteen, double dCutFactor) {
    std::vector<CPriceRow> rows;
    // The 15-table layout has no separate grids for the four smallest ranges.
    for (int nRange = bNineteen ? 0 : 4; nRange < 18; ++nRange) {
        bool bSmall = nRange < 6;
        for (int nRow = 0; nRow < (bSmall ? 5 : 10); ++nRow)
            rows.push_back(MakeRow(kRangeBase[nRange], nRow, bSmall ? 8 : 11, dCutFactor));
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string strFolder = argv[1];
    struct {
        const char* pszName;
        bool bNineteen;
        double dFactor;
    } const tables[] = {{"rnddat.dbf", true, 1.0},
                        {"peardat.dbf", false, 0.85},
                        {"mqdat.dbf", false, 0.82},
                        {"emdat.dbf", false, 0.8}};
    for (const auto& table : tables) {
        std::string strPath = strFolder + "/" + table.pszName;
        if (!WriteDbf(strPath, PriceColumns(), MakeTable(table.bNineteen, table.dFactor))) {
            std::fprintf(stderr, "cannot write %s\n", strPath.c_str());
            return 1;
        }
        std::printf("%s\n", strPath.c_str());
    }
    return 0;
}
