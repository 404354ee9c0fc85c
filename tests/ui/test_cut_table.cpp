#include "ui/CutTable.h"

#include <gtest/gtest.h>

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
