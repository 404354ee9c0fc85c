#include "ui/OutputDir.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "ui/Settings.h"

namespace fs = std::filesystem;

TEST(CompanionSystemDir, AddsSystemToThePathValue) {
    EXPECT_EQ(CompanionSystemDir(kRegSz, std::string("C:\\Apps\\Kovatrel\0", 17)),
              "C:\\Apps\\Kovatrel\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, std::string("C:\\Apps\\Kovatrel\\\0", 18)),
              "C:\\Apps\\Kovatrel\\\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, std::string("\0", 1)), "\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, ""), "\\System");
}

TEST(CompanionSystemDir, ExpandAndMultiStringTypesTakeTheFirstTextUnexpanded) {
    EXPECT_EQ(CompanionSystemDir(kRegExpandSz, std::string("%ProgramFiles%\\K\0", 17)),
              "%ProgramFiles%\\K\\System");
    EXPECT_EQ(CompanionSystemDir(kRegMultiSz, std::string("D:\\K\0E:\\L\0\0", 11)),
              "D:\\K\\System");
}

TEST(CompanionSystemDir, OtherTypesAndOverlongValuesAreIgnored) {
    EXPECT_EQ(CompanionSystemDir(kRegDword, std::string("\x01\0\0\0", 4)), "");
    EXPECT_EQ(CompanionSystemDir(kRegBinary, "C:\\K"), "");
    // 259 characters and the terminator fill the 260-byte buffer exactly; one more is too long.
    std::string str259(259, 'a');
    EXPECT_EQ(CompanionSystemDir(kRegSz, str259 + '\0'), str259 + "\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, str259 + "a" + '\0'), "");
}

// A fabricated Wine prefix and a home of its own, with the current directory in the
// test's temporary folder.
class OutputDirRule : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.File("prefix/drive_c/Apps/Kovatrel/System"));
        fs::create_directories(m_dir.File("prefix/dosdevices"));
        fs::create_directory_symlink("../drive_c", m_dir.File("prefix/dosdevices/c:"));
        fs::create_directories(m_dir.File("cwd"));
        setenv("HOME", m_dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        setenv("WINEPREFIX", m_dir.File("prefix").c_str(), 1);
        ASSERT_EQ(chdir(m_dir.File("cwd").c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir("/"), 0); }

    void WriteCompanionValue(const std::string& strValueLine) {
        WriteFile(m_dir.File("prefix/system.reg"),
                  "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                  "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\"
                  "Kovatrel.exe] 1700000000\n" +
                      strValueLine + "\n");
    }
    std::string Canonical(const std::string& strName) {
        return fs::canonical(m_dir.File(strName)).string();
    }

    CTempDir m_dir;
};

TEST_F(OutputDirRule, StoredFolderWinsAsStoredEvenWhenGone) {
    WriteCompanionValue("\"Path\"=\"C:\\\\Apps\\\\Kovatrel\"");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/no/such/folder/");
    EXPECT_EQ(DetermineOutputDirPath(), "/no/such/folder/");
}

TEST_F(OutputDirRule, CompanionInTheWinePrefixGivesItsSystemFolder) {
    WriteCompanionValue("\"Path\"=\"C:\\\\Apps\\\\Kovatrel\"");
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("prefix/drive_c") + "/Apps/Kovatrel/System");
}

TEST_F(OutputDirRule, TrailingBackslashGivesADoubledSeparator) {
    WriteCompanionValue("\"Path\"=str(2):\"C:\\\\Apps\\\\Kovatrel\\\\\"");
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("prefix/drive_c") + "/Apps/Kovatrel//System");
}

TEST_F(OutputDirRule, DefaultPrefixIsDotWineInHome) {
    unsetenv("WINEPREFIX");
    fs::create_directories(m_dir.File("home"));
    fs::rename(m_dir.File("prefix"), m_dir.File("home/.wine"));
    WriteFile(m_dir.File("home/.wine/system.reg"),
              "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Kovatrel.exe]\n"
              "\"Path\"=\"c:\\\\Apps\\\\Kovatrel\"\n");
    EXPECT_EQ(DetermineOutputDirPath(),
              fs::canonical(m_dir.File("home/.wine/drive_c")).string() + "/Apps/Kovatrel/System");
}

TEST_F(OutputDirRule, FallsThroughToTheCurrentDirectory) {
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));  // no system.reg at all
    WriteCompanionValue("\"Path\"=dword:00000001");
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));
    WriteCompanionValue("\"Path\"=\"" + std::string(260, 'a') + "\"");
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));
    // A drive the prefix does not link, and a path without a drive, cannot be mapped.
    WriteCompanionValue("\"Path\"=\"Q:\\\\Kovatrel\"");
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));
    WriteCompanionValue("\"Path\"=\"\"");
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));
}

TEST(MapWinePath, MapsThroughTheDriveLink) {
    CTempDir dir;
    fs::create_directories(dir.File("p/dosdevices"));
    fs::create_directory_symlink("/", dir.File("p/dosdevices/z:"));
    EXPECT_EQ(MapWinePath(dir.File("p"), "Z:\\srv\\out"), "/srv/out");
    EXPECT_EQ(MapWinePath(dir.File("p"), "z:"), "/");
    EXPECT_EQ(MapWinePath(dir.File("p"), "\\\\server\\share"), "");
}
