#include "ui/WineRegistry.h"

#include <gtest/gtest.h>

namespace {

const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Kovatrel.exe";

// A system.reg as Wine writes it, with a decoy key that has a "Path" value too.
const char* kRegFile =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\Other.exe] 1700000000\n"
    "\"Path\"=\"D:\\\\Other\"\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\KOVATREL.EXE] 1700000001\n"
    "#time=1da1b2c3d4e5f60\n"
    "@=\"C:\\\\Apps\\\\Kovatrel\\\\Kovatrel.exe\"\n"
    "\"path\"=\"C:\\\\Apps\\\\Kovatr\\x00e9l \\\"Pro\\\"\"\n"
    "\n";

std::string WithValue(const std::string& strValueLine) {
    return std::string("[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\"
                       "Kovatrel.exe]\n") +
           strValueLine + "\n";
}

}  // namespace

TEST(WineRegistry, FindsTheValueOfTheRightKeyWhateverTheCase) {
    SRegValue value;
    ASSERT_TRUE(FindWineRegValue(kRegFile, kKey, "Path", value));
    EXPECT_EQ(value.nType, 1u);
    // \x00e9 is "é", handed out in UTF-8; the registry's terminator is part of the data.
    EXPECT_EQ(value.strData, std::string("C:\\Apps\\Kovatr\xC3\xA9l \"Pro\"\0", 24));
}

TEST(WineRegistry, MissingKeyOrValue) {
    SRegValue value;
    EXPECT_FALSE(FindWineRegValue(kRegFile, kKey, "InstallDir", value));
    EXPECT_FALSE(FindWineRegValue(kRegFile, "Software\\Kovatrel", "Path", value));
    EXPECT_FALSE(FindWineRegValue("", kKey, "Path", value));
}

TEST(WineRegistry, StringTypesWrittenAsStrAndAsHex) {
    SRegValue value;
    ASSERT_TRUE(FindWineRegValue(WithValue("\"Path\"=str(2):\"%ProgramFiles%\\\\K\""), kKey,
                                 "Path", value));
    EXPECT_EQ(value.nType, 2u);
    EXPECT_EQ(value.strData, std::string("%ProgramFiles%\\K\0", 17));

    // UTF-16LE bytes, continued over two lines: "C:\A" NUL "B" NUL NUL.
    ASSERT_TRUE(FindWineRegValue(
        WithValue("\"Path\"=hex(7):43,00,3a,00,5c,00,41,00,00,00,\\\n  42,00,00,00,00,00"), kKey,
        "Path", value));
    EXPECT_EQ(value.nType, 7u);
    EXPECT_EQ(value.strData, std::string("C:\\A\0B\0\0", 8));

    ASSERT_TRUE(FindWineRegValue(WithValue("\"Path\"=str(7):\"X\\0Y\\0\""), kKey, "Path", value));
    EXPECT_EQ(value.strData, std::string("X\0Y\0\0", 5));
}

TEST(WineRegistry, OtherTypesKeepTheirBytes) {
    SRegValue value;
    ASSERT_TRUE(FindWineRegValue(WithValue("\"Path\"=dword:00000102"), kKey, "Path", value));
    EXPECT_EQ(value.nType, 4u);
    EXPECT_EQ(value.strData, std::string("\x02\x01\0\0", 4));
    ASSERT_TRUE(FindWineRegValue(WithValue("\"Path\"=hex:43,3a"), kKey, "Path", value));
    EXPECT_EQ(value.nType, 3u);
    EXPECT_EQ(value.strData, "C:");
}

TEST(WineRegistry, DamagedValuesAreNotFound) {
    SRegValue value;
    EXPECT_FALSE(FindWineRegValue(WithValue("\"Path\"=\"C:\\\\unterminated"), kKey, "Path", value));
    EXPECT_FALSE(FindWineRegValue(WithValue("\"Path\"=hex(1):43,00,3a"), kKey, "Path", value));
    EXPECT_FALSE(FindWineRegValue(WithValue("\"Path\"=hex:4g3"), kKey, "Path", value));
    EXPECT_FALSE(FindWineRegValue(WithValue("\"Path\"=str(2"), kKey, "Path", value));
}
