#include "convert/CutTable.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

// A standard name in any letter case gives the four standard names, each spelt as the
// folder holds it (tables from DOS media keep upper-case names, and the smallest spelling
// wins when there are several); any other file is the Brilliant table, as chosen.
TEST(CutPathsFromChoice, StandardNamesAsTheFolderSpellsThemElseTheChosenFileIsBrilliant) {
    CTempDir dir;
    for (const char* psz : {"RNDDAT.DBF", "Peardat.dbf", "PEARDAT.DBF", "mqdat.dbf", "MQDAT.DBF"})
        WriteFile(dir.File(psz), "");
    const std::string d = dir.Path() + "/";
    using Rows = std::array<std::string, kCutCount>;
    const Rows held = {d + "RNDDAT.DBF", d + "PEARDAT.DBF", d + "mqdat.dbf", d + "emdat.dbf"};
    const std::pair<std::string, Rows> cases[] = {
        {d + "rnddat.dbf", held},
        {d + "Emdat.DBF", held},
        {d + "Round 2024.DBF", {d + "Round 2024.DBF", held[1], held[2], held[3]}},
        {d + "xrnddat.dbf", {d + "xrnddat.dbf", held[1], held[2], held[3]}},  // whole names only
        {"/no/such/PEARDAT.DBF",
         {"/no/such/rnddat.dbf", "/no/such/peardat.dbf", "/no/such/mqdat.dbf",
          "/no/such/emdat.dbf"}},
        {"Rnddat.dbf", {"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"}},
    };
    for (const auto& [strChosen, rows] : cases) EXPECT_EQ(CutPathsFromChoice(strChosen), rows);
}
