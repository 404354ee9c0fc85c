#include "ui/CutTable.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

TEST(CutPathsFromChoice, StandardNameInAnyCaseGivesFourStandardNamesElseTheBrilliantTable) {
    using Rows = std::array<std::string, kCutCount>;
    EXPECT_EQ(CutPathsFromChoice("/z/PEARDAT.DBF"),
              (Rows{"/z/rnddat.dbf", "/z/peardat.dbf", "/z/mqdat.dbf", "/z/emdat.dbf"}));
    EXPECT_EQ(CutPathsFromChoice("Rnddat.dbf"),
              (Rows{"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"}));
    EXPECT_EQ(CutPathsFromChoice("/Round 2024.DBF"),
              (Rows{"/Round 2024.DBF", "/peardat.dbf", "/mqdat.dbf", "/emdat.dbf"}));
    EXPECT_EQ(CutPathsFromChoice("/z/xrnddat.dbf")[0], "/z/xrnddat.dbf");  // only a whole name
}

// Tables copied from DOS media keep their upper-case names; the rows must still find them.
TEST(CutPathsFromChoice, StandardNamesAreSpeltAsTheFolderHoldsThem) {
    CTempDir dir;
    for (const char* psz : {"RNDDAT.DBF", "Peardat.dbf", "PEARDAT.DBF", "mqdat.dbf", "MQDAT.DBF"})
        WriteFile(dir.File(psz), "");
    const std::string strFolder = dir.Path() + "/";
    EXPECT_EQ(
        CutPathsFromChoice(strFolder + "rnddat.dbf"),
        (std::array<std::string, kCutCount>{strFolder + "RNDDAT.DBF", strFolder + "PEARDAT.DBF",
                                            strFolder + "mqdat.dbf", strFolder + "emdat.dbf"}));
}
