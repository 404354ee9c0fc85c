#include "ui/CutTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "res/Strings.h"
#include "tests/support/TempDir.h"

using Paths = std::array<std::string, kCutCount>;

TEST(CutTable, HoldsTheFourCutsInConversionOrder) {
    EXPECT_EQ(LoadString(g_cuts[0].nNameId), "Brilliant");
    EXPECT_EQ(LoadString(g_cuts[1].nNameId), "Pear");
    EXPECT_EQ(LoadString(g_cuts[2].nNameId), "Marquise");
    EXPECT_EQ(LoadString(g_cuts[3].nNameId), "Emerald");
    EXPECT_STREQ(g_cuts[2].pszTable, "mqdat.dbf");
    EXPECT_STREQ(g_cuts[3].pszOutput, "TrvEm.txt");
    EXPECT_TRUE(g_cuts[0].bNineteen);
    EXPECT_FALSE(g_cuts[1].bNineteen || g_cuts[2].bNineteen || g_cuts[3].bNineteen);
}

TEST(CutPathsFromChoice, StandardNameInAnyCaseGivesTheFourStandardNames) {
    Paths expected = {"/data/z/rnddat.dbf", "/data/z/peardat.dbf", "/data/z/mqdat.dbf",
                      "/data/z/emdat.dbf"};
    EXPECT_EQ(CutPathsFromChoice("/data/z/PEARDAT.DBF"), expected);
    EXPECT_EQ(CutPathsFromChoice("/data/z/Rnddat.dbf"), expected);
    EXPECT_EQ(CutPathsFromChoice("/data/z/emdat.dbf"), expected);
}

TEST(CutPathsFromChoice, OtherNameIsTheBrilliantTableKeptAsChosen) {
    Paths expected = {"/data/z/Round 2024.DBF", "/data/z/peardat.dbf", "/data/z/mqdat.dbf",
                      "/data/z/emdat.dbf"};
    EXPECT_EQ(CutPathsFromChoice("/data/z/Round 2024.DBF"), expected);
    // A standard name only counts as the whole file name, not as a part of it.
    EXPECT_EQ(CutPathsFromChoice("/data/z/xrnddat.dbf")[0], "/data/z/xrnddat.dbf");
}

TEST(CutPathsFromChoice, PathWithoutFolderGivesBareNames) {
    Paths expected = {"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"};
    EXPECT_EQ(CutPathsFromChoice("mqdat.dbf"), expected);
    EXPECT_EQ(FolderOf("/rnddat.dbf"), "/");
}

TEST(CanOpenForReading, TellsFilesFromMissingPathsAndFolders) {
    CTempDir dir;
    WriteFile(dir.File("rnddat.dbf"), "x");
    EXPECT_TRUE(CanOpenForReading(dir.File("rnddat.dbf")));
    EXPECT_FALSE(CanOpenForReading(dir.File("peardat.dbf")));
    EXPECT_FALSE(CanOpenForReading(dir.Path()));
    EXPECT_FALSE(CanOpenForReading(""));
}

TEST(CanOpenForReading, FileWithoutReadPermission) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permission bits";
    CTempDir dir;
    WriteFile(dir.File("emdat.dbf"), "x");
    ASSERT_EQ(chmod(dir.File("emdat.dbf").c_str(), 0200), 0);
    EXPECT_FALSE(CanOpenForReading(dir.File("emdat.dbf")));
}
