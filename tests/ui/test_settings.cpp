#include "ui/Settings.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
    std::string File(const std::string& strBase) {
        return m_dir.File(strBase + "/Tarvesk Software/kestrix/test_ui.ini");
    }
    std::string Get(const char* p = "OutputDir") { return GetProfileString(kSectionGeneral, p); }
    void Set(const std::string& str) { WriteProfileString(kSectionGeneral, kEntryOutputDir, str); }

    CTempDir m_dir;
};

TEST_F(SettingsStore, ValuesComeBackByteForByteMissingOnesEmptyAndADamagedFileIsRead) {
    EXPECT_EQ(Get(), "");
    WriteProfileString(kSectionGeneral, kEntryInputDir, "/data/prices/");
    EXPECT_EQ(Get() + GetProfileString("Other", kEntryInputDir), "");
    // Nothing expanded or trimmed, the file format's own characters, bytes that are not UTF-8.
    for (const std::string str : {"/home/$HOME/${USER}/", " /lead and trail/ ", "C:\\Prices\\",
                                  "/a=b;c#d/\"q\"/", "/caf\xC3\xA9/\xFF\xFE/"}) {
        Set(str);
        EXPECT_EQ(Get(), str);
    }
    EXPECT_NE(ReadFile(File("config")).find("[General]\nInputDir=/data/prices/\n"),
              std::string::npos);
    // A damaged file is read silently and can be written again.
    WriteFile(File("config"), std::string("[General]\nInputDir=/in/\n[General\n\xFF\0\n", 36));
    EXPECT_EQ(Get(kEntryInputDir), "/in/");
    Set("/out/");
    EXPECT_EQ(Get() + Get(kEntryInputDir), "/out//in/");
}

TEST_F(SettingsStore, FolderFromXdgConfigHomeElseHomeAndFailuresAreSilent) {
    WriteFile(m_dir.File("config"), "not a folder");
    Set("/x");
    EXPECT_EQ(Get(), "");
    unsetenv("XDG_CONFIG_HOME");
    Set("/x");
    EXPECT_TRUE(FileExists(File("home/.config")));
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not a valid one: ignored as well
    EXPECT_EQ(Get(), "/x");
    // A write cut short (here by a file size limit, as by a full disk) keeps the old file.
    if (pid_t pid = fork(); pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8, 8};
        setrlimit(RLIMIT_FSIZE, &limit);
        Set("/a folder name much longer than the limit");
        _exit(0);
    } else {
        ASSERT_GT(pid, 0);
        waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(Get(), "/x");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    Set("/y");
    EXPECT_EQ(Get(), "");
}
