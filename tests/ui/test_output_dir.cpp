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
    const std::tuple<uint32_t, std::string, std::string> cases[] = {
        {kRegSz, "C:\\Apps\\K\0"s, "C:\\Apps\\K\\System"},
        {kRegSz, "C:\\Apps\\K\\\0"s, "C:\\Apps\\K\\\\System"},
        {kRegSz, "\0"s, "\\System"},
        {kRegSz, "", "\\System"},
        {kRegExpandSz, "%SystemDrive%\\K\0"s, "%SystemDrive%\\K\\System"},
        {kRegMultiSz, "D:\\K\0E:\\L\0\0"s, "D:\\K\\System"},
        {kRegDword, "\x01\0\0\0"s, ""},
        {kRegBinary, "C:\\K", ""},
        {kRegSz, str259 + '\0', str259 + "\\System"},
        {kRegSz, str259 + "a" + '\0', ""}};
    for (const auto& [nType, strData, strExpected] : cases)
        EXPECT_EQ(CompanionSystemDir(nType, strData), strExpected) << strData;
}

// A fabricated Wine prefix at ~/.wine with drive C: linked to drive_c and Z: to the root,
// as Wine sets them up; the current folder is "cwd".
class OutputDirRule : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir.File("home/.wine/drive_c/Apps/Kovatrel/System"));
        fs::create_directories(m_dir.File("home/.wine/dosdevices"));
        fs::create_directory_symlink("../drive_c", m_dir.File("home/.wine/dosdevices/c:"));
        fs::create_directory_symlink("/", m_dir.File("home/.wine/dosdevices/z:"));
        fs::create_directories(m_dir.File("cwd"));
        setenv("HOME", m_dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        unsetenv("WINEPREFIX");
        ASSERT_EQ(chdir(m_dir.File("cwd").c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir("/"), 0); }

    std::string Canonical(const std::string& strName) {
        return fs::canonical(m_dir.File(strName)).string();
    }

    CTempDir m_dir;
};

namespace {

// system.reg with the companion's key in the letter case Wine may keep, after a decoy
// with a "Path" too, and `strValueLine` in it; lines end in `strEol`.
std::string CompanionReg(const std::string& strValueLine, const std::string& strEol = "\n") {
    const std::string strKey =
        strEol + "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\";
    return "WINE REGISTRY Version 2" + strEol + ";; All keys relative to \\\\Machine" + strEol +
           strKey + "Other.exe] 1700000000" + strEol + "\"Path\"=\"D:\\\\Other\"" + strEol +
           strKey + "KOVATREL.EXE] 1700000001" + strEol + "#time=1da1b2c3d4e5f60" + strEol +
           strValueLine + strEol;
}

}  // namespace

TEST_F(OutputDirRule, StoredFolderElseCompanionSystemFolderElseCurrentDirectory) {
    const std::string strCwd = Canonical("cwd"), strC = Canonical("home/.wine/drive_c");
    const std::string strReg = m_dir.File("home/.wine/system.reg");
    EXPECT_EQ(DetermineOutputDirPath(), strCwd);  // no system.reg at all
    for (const std::string& strValue :
         {"dword:00000001"s, "\"" + std::string(260, 'a') + "\"", "\"Q:\\\\Kovatrel\""s, "\"\""s,
          "\"C:\\\\unterminated"s, "hex(2):43,00,3a"s, "str(2"s}) {
        WriteFile(strReg, CompanionReg("\"Path\"=" + strValue));
        EXPECT_EQ(DetermineOutputDirPath(), strCwd) << strValue;
    }
    // UTF-16 "C:\A\" NUL "B" NUL NUL over two lines: the first text, the separator doubled.
    const std::string strMultiSz = "\"Path\"=hex(7):43,00,3a,00,5c,00,41,00,5c,00,00,00,\\";
    const std::pair<std::string, std::string> cases[] = {
        {CompanionReg("\"Path\"=\"C:\\\\Apps\\\\Kovatrel\""), strC + "/Apps/Kovatrel/System"},
        {CompanionReg("\"path\"=str(2):\"c:\\\\Kovatr\\x00e9l \\\"Pro\\\"\""),
         strC + "/Kovatr\xC3\xA9l \"Pro\"/System"},
        {CompanionReg(strMultiSz + "\n  42,00,00,00,00,00"), strC + "/A//System"},
        {CompanionReg(strMultiSz + "\r\n  42,00,00,00,00,00", "\r\n"), strC + "/A//System"},
        // Wine's Z: is the Linux root: no doubled slash in front.
        {CompanionReg("\"Path\"=\"Z:\\\\opt\\\\Kovatrel\""), "/opt/Kovatrel/System"},
        // A 32-bit installer in a 64-bit prefix registers below Wow6432Node.
        {"WINE REGISTRY Version 2\n#arch=win64\n\n[Software\\\\Wow6432Node\\\\Microsoft\\\\"
         "Windows\\\\CurrentVersion\\\\App Paths\\\\Kovatrel.exe] 1700000002\n"
         "\"Path\"=\"C:\\\\Apps\\\\Kovatrel\"\n",
         strC + "/Apps/Kovatrel/System"}};
    for (const auto& [strText, strExpected] : cases) {
        WriteFile(strReg, strText);
        EXPECT_EQ(DetermineOutputDirPath(), strExpected) << strText;
    }
    setenv("WINEPREFIX", m_dir.File("other-prefix").c_str(), 1);  // comes before ~/.wine
    EXPECT_EQ(DetermineOutputDirPath(), strCwd);
    unsetenv("WINEPREFIX");
    // The stored folder wins over the companion's, as stored, even when gone.
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/no/such/folder/");
    EXPECT_EQ(DetermineOutputDirPath(), "/no/such/folder/");
}
