#include "ui/Settings.h"

#include <stdlib.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

// Every case runs in a process of its own, so the environment may be changed freely.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("HOME", m_dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
    }
    std::string SettingsFile(const std::string& strBase) {
        return strBase + "/Tarvesk Software/kestrix/" + AppName() + ".ini";
    }

    CTempDir m_dir;
};

TEST(AppName, IsTheExecutableNameWithoutFolderOrExtension) {
    EXPECT_EQ(AppName(), "test_settings");
}

TEST_F(SettingsStore, MissingValuesReadAsEmpty) {
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "");
    WriteProfileString(kSectionGeneral, kEntryInputDir, "/data/");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "");
    EXPECT_EQ(GetProfileString("Other", kEntryInputDir), "");
}

TEST_F(SettingsStore, WrittenValuesComeBackAndLandInTheUsersConfigFolder) {
    WriteProfileString(kSectionGeneral, kEntryInputDir, "/data/prices/");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/srv/out");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/srv/out2");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "/data/prices/");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "/srv/out2");
    std::string strText = ReadFile(SettingsFile(m_dir.File("config")));
    EXPECT_NE(strText.find("[General]"), std::string::npos) << strText;
    EXPECT_NE(strText.find("OutputDir=/srv/out2"), std::string::npos) << strText;
}

TEST_F(SettingsStore, ValuesRoundTripByteForByte) {
    const std::string values[] = {
        "/home/$HOME/${USER}/",          // never expanded
        " /lead and trail/ ",            // blanks kept
        "C:\\Prices\\",                  // backslashes kept
        "/a=b;c#d/\"q\"/",               // the file format's own characters
        "/caf\xC3\xA9/\xFF\xFE/",        // UTF-8 and bytes that are not UTF-8
    };
    for (const std::string& strValue : values) {
        WriteProfileString(kSectionGeneral, kEntryOutputDir, strValue);
        EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), strValue);
    }
}

TEST_F(SettingsStore, WithoutXdgConfigHomeTheHomeConfigFolderIsUsed) {
    unsetenv("XDG_CONFIG_HOME");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/x");
    EXPECT_TRUE(FileExists(SettingsFile(m_dir.File("home/.config"))));
    // A relative XDG_CONFIG_HOME is not a valid one and is ignored as well.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "/x");
}

TEST_F(SettingsStore, FailuresAreSilent) {
    // The configuration folder is a file: nothing can be created below it.
    WriteFile(m_dir.File("config"), "not a folder");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/x");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/x");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "");
}

TEST_F(SettingsStore, DamagedFileIsReadSilentlyAndCanBeWrittenAgain) {
    std::string strFile = SettingsFile(m_dir.File("config"));
    std::filesystem::create_directories(std::filesystem::path(strFile).parent_path());
    WriteFile(strFile, std::string("[General]\nInputDir=/in/\n[General\nrubbish\n\xFF\0\n", 44));
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "/in/");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "/out/");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "/out/");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "/in/");
}
