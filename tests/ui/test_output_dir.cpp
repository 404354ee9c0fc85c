#include "ui/OutputDir.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "ui/Settings.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(CompanionSystemDir, AppendsSystemToTheFirstTextOfAStringValueThatFitsTheBuffer) {
    const std::string str259(259, 'a');  // with its terminator, exactly the 260-byte buffer
    EXPECT_EQ(CompanionSystemDir(kRegSz, "C:\\Apps\\K\0"s), "C:\\Apps\\K\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, "C:\\Apps\\K\\\0"s), "C:\\Apps\\K\\\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, "\0"s), "\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, ""), "\\System");
    EXPECT_EQ(CompanionSystemDir(kRegExpandSz, "%SystemDrive%\\K\0"s), "%SystemDrive%\\K\\System");
    EXPECT_EQ(CompanionSystemDir(kRegMultiSz, "D:\\K\0E:\\L\0\0"s), "D:\\K\\System");
    EXPECT_EQ(CompanionSystemDir(kRegDword, "\x01\0\0\0"s), "");
    EXPECT_EQ(CompanionSystemDir(kRegBinary, "C:\\K"), "");
    EXPECT_EQ(CompanionSystemDir(kRegSz, str259 + '\0'), str259 + "\\System");
    EXPECT_EQ(CompanionSystemDir(kRegSz, str259 + "a" + '\0'), "");
}

// A fabricated Wine prefix at ~/.wine with drive C: linked; the current folder is "cwd".
class OutputDirRule : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.File("home/.wine/drive_c/Apps/Kovatrel/System"));
        fs::create_directories(m_dir.File("home/.wine/dosdevices"));
        fs::create_directory_symlink("../drive_c", m_dir.File("home/.wine/dosdevices/c:"));
        fs::create_directories(m_dir.File("cwd"));
        setenv("HOME", m_dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        unsetenv("WINEPREFIX");
        ASSERT_EQ(chdir(m_dir.File("cwd").c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir("/"), 0); }

    // The companion's key in the letter case Wine may keep, after a decoy with a "Path" too.
    void WriteCompanionValue(const std::string& strValueLine) {
        const std::string strKey =
            "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\";
        WriteFile(m_dir.File("home/.wine/system.reg"),
                  "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n" + strKey +
                      "Other.exe] 1700000000\n\"Path\"=\"D:\\\\Other\"\n" + strKey +
                      "KOVATREL.EXE] 1700000001\n#time=1da1b2c3d4e5f60\n" + strValueLine + "\n");
    }
    std::string Canonical(const std::string& strName) {
        return fs::canonical(m_dir.File(strName)).string();
    }

    CTempDir m_dir;
};

TEST_F(OutputDirRule, StoredFolderElseCompanionSystemFolderElseCurrentDirectory) {
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));  // no system.reg at all
    for (const std::string& strValue :
         {"dword:00000001"s, "\"" + std::string(260, 'a') + "\"", "\"Q:\\\\Kovatrel\""s, "\"\""s,
          "\"C:\\\\unterminated"s, "hex(2):43,00,3a"s, "str(2"s}) {
        WriteCompanionValue("\"Path\"=" + strValue);
        EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd")) << strValue;
    }
    std::string strDriveC = Canonical("home/.wine/drive_c");
    WriteCompanionValue("\"Path\"=\"C:\\\\Apps\\\\Kovatrel\"");
    EXPECT_EQ(DetermineOutputDirPath(), strDriveC + "/Apps/Kovatrel/System");
    WriteCompanionValue("\"path\"=str(2):\"c:\\\\Kovatr\\x00e9l \\\"Pro\\\"\"");
    EXPECT_EQ(DetermineOutputDirPath(), strDriveC + "/Kovatr\xC3\xA9l \"Pro\"/System");
    // UTF-16 "C:\A\" NUL "B" NUL NUL over two lines: the first text, the separator doubled.
    WriteCompanionValue(
        "\"Path\"=hex(7):43,00,3a,00,5c,00,41,00,5c,00,00,00,\\\n  42,00,00,00,00,00");
    EXPECT_EQ(DetermineOutputDirPath(), strDriveC + "/A//System");
    // A 32-bit installer in a 64-bit prefix registers below Wow6432Node.
    WriteFile(m_dir.File("home/.wine/system.reg"),
              "WINE REGISTRY Version 2\n#arch=win64\n\n[Software\\\\Wow6432Node\\\\Microsoft\\\\"
              "Windows\\\\CurrentVersion\\\\App Paths\\\\Kovatrel.exe] 1700000002\n"
              "\"Path\"=\"C:\\\\Apps\\\\Kovatrel\"\n");
    EXPECT_EQ(DetermineOutputDirPath(), strDriveC + "/Apps/Kovatrel/System");
    setenv("WINEPREFIX", m_dir.File("other-prefix").c_str(), 1);  // comes before ~/.wine
    EXPECT_EQ(DetermineOutputDirPath(), Canonical("cwd"));
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/no/such/folder/");
    EXPECT_EQ(DetermineOutputDirPath(), "/no/such/folder/");  // as stored, even when gone
}
