// kestrix-convert end to end: the built program copied into a temporary folder (so its
// kestrix.log lands there), run with a sandboxed ODBC configuration and home.
#include <sys/wait.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "res/Strings.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& str) {
    std::string strQuoted = "'";
    for (char c : str) strQuoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return strQuoted + "'";
}

struct SResult {
    int nStatus = -1;
    std::string strOut, strErr;
};

class ConvertMain : public ::testing::Test {
protected:
    explicit ConvertMain(bool bRegisterDriver = true) : m_odbc(bRegisterDriver) {}
    void SetUp() override {
        fs::create_directories(m_dir.File("bin"));
        fs::create_directories(m_dir.File("in"));
        fs::create_directories(m_dir.File("out"));
        fs::create_directories(m_dir.File("cwd"));
        InstallAs("kestrix-convert");
        setenv("WINEPREFIX", m_dir.File("no-wine").c_str(), 1);
    }
    void InstallAs(const std::string& strName) {
        fs::copy_file(KESTRIX_CONVERT_PATH, m_dir.File("bin/" + strName),
                      fs::copy_options::overwrite_existing);
    }
    void WriteTables(int nBrilliant = 150) {
        ASSERT_TRUE(WritePriceTable(m_dir.File("in/rnddat.dbf"), nBrilliant));
        for (const char* psz : {"peardat.dbf", "mqdat.dbf", "emdat.dbf"})
            ASSERT_TRUE(WritePriceTable(m_dir.File(std::string("in/") + psz), 130));
    }
    // Runs the program from the "cwd" folder; `strCd` replaces that when given.
    SResult Run(const std::string& strArgs, const std::string& strName = "kestrix-convert",
                const std::string& strCd = "") {
        std::string strCommand = (strCd.empty() ? "cd " + Quote(m_dir.File("cwd")) : strCd) +
                                 " && " + Quote(m_dir.File("bin/" + strName)) + " " + strArgs +
                                 " >" + Quote(m_dir.File("stdout")) + " 2>" +
                                 Quote(m_dir.File("stderr"));
        int nRaw = std::system(strCommand.c_str());
        SResult result;
        result.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
        result.strOut = ReadFile(m_dir.File("stdout"));
        result.strErr = ReadFile(m_dir.File("stderr"));
        return result;
    }
    std::string Table(const std::string& strName) { return Quote(m_dir.File("in/" + strName)); }
    std::string Output() { return "--output " + Quote(m_dir.File("out")); }
    std::string Log() { return ReadFile(m_dir.File("bin/kestrix.log")); }

    COdbcSandbox m_odbc;
    CTempDir m_dir;
};

size_t Count(const std::string& strText, const std::string& strPart) {
    size_t n = 0;
    for (size_t pos = strText.find(strPart); pos != std::string::npos;
         pos = strText.find(strPart, pos + 1))
        ++n;
    return n;
}

}  // namespace

TEST_F(ConvertMain, ConvertsAllFourCutsAndWritesTheLogBesideItself) {
    WriteTables();
    SResult r = Run(Output() + " " + Table("PEARDAT.DBF"));
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    for (const char* psz : {"TrvBrill.txt", "TrvPear.txt", "TrvMarq.txt", "TrvEm.txt"})
        EXPECT_TRUE(FileExists(m_dir.File(std::string("out/") + psz))) << psz;
    EXPECT_EQ(Count(r.strOut, "File was converted successfully"), 4u) << r.strOut;
    EXPECT_EQ(Log(), r.strOut);
    EXPECT_EQ(r.strErr, LoadString(IDS_CONVERSION_DONE) + "\n");
}

TEST_F(ConvertMain, UnreadableCutsAreSkippedWithMessage103Once) {
    ASSERT_TRUE(WritePriceTable(m_dir.File("in/round.dbf"), 150));
    SResult r = Run(Output() + " " + Table("round.dbf"));
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(Count(r.strErr, LoadString(IDS_NOT_ALL_FILES)), 1u) << r.strErr;
    EXPECT_NE(r.strErr.find("Data of some or all cuts was not loaded succesfully.\n"),
              std::string::npos);
    EXPECT_TRUE(FileExists(m_dir.File("out/TrvBrill.txt")));
    EXPECT_EQ(Count(r.strOut, "Processing "), 1u);

    // Limited to the cut that is there, the same table converts cleanly.
    r = Run(Output() + " --cuts brilliant " + Table("round.dbf"));
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr.find(LoadString(IDS_NOT_ALL_FILES)), std::string::npos);
}

TEST_F(ConvertMain, ExistingModesAnswerTheReplaceQuestion) {
    WriteTables();
    WriteFile(m_dir.File("out/TrvPear.txt"), "old");
    SResult r = Run(Output() + " --cuts pear --existing cancel " + Table("rnddat.dbf"));
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(ReadFile(m_dir.File("out/TrvPear.txt")), "old");
    r = Run(Output() + " --cuts pear --existing overwrite " + Table("rnddat.dbf"));
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_FALSE(FileExists(m_dir.File("out/TrvPear.bak")));
    r = Run(Output() + " --cuts pear,emerald " + Table("rnddat.dbf"));
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_TRUE(FileExists(m_dir.File("out/TrvPear.bak")));
    EXPECT_FALSE(FileExists(m_dir.File("out/TrvBrill.txt")));
    EXPECT_EQ(Log().find("Brilliant"), std::string::npos);
}

TEST_F(ConvertMain, UsageErrorsExitWith2) {
    for (const char* psz : {"", "--cuts ruby x.dbf", "--existing maybe x.dbf", "--output",
                            "--bogus x.dbf", "a.dbf b.dbf"}) {
        SResult r = Run(psz);
        EXPECT_EQ(r.nStatus, 2) << psz;
        EXPECT_NE(r.strErr.find("Usage: kestrix-convert"), std::string::npos) << psz;
    }
    EXPECT_EQ(Run("--help").nStatus, 0);
}

TEST_F(ConvertMain, NoOutputFolderAtAllGives107AndExit2) {
    WriteTables();
    // A removed current directory leaves no folder to fall back on.
    std::string strGone = m_dir.File("gone");
    fs::create_directories(strGone);
    SResult r = Run(Table("rnddat.dbf"), "kestrix-convert",
                    "cd " + Quote(strGone) + " && rmdir " + Quote(strGone));
    EXPECT_EQ(r.nStatus, 2) << r.strErr;
    EXPECT_EQ(r.strErr, LoadString(IDS_NO_OUTPUT_DIR) + "\n");
}

TEST_F(ConvertMain, OutputFolderIsRememberedPerExecutableName) {
    WriteTables();
    ASSERT_EQ(Run(Output() + " --cuts emerald " + Table("emdat.dbf")).nStatus, 0);
    // A new process without --output uses the remembered folder, not its current one.
    fs::remove(m_dir.File("out/TrvEm.txt"));
    ASSERT_EQ(Run("--cuts emerald " + Table("emdat.dbf")).nStatus, 0);
    EXPECT_TRUE(FileExists(m_dir.File("out/TrvEm.txt")));
    EXPECT_FALSE(FileExists(m_dir.File("cwd/TrvEm.txt")));
    // Renamed, the program has settings of its own and falls back to the current folder.
    InstallAs("prices-nightly");
    ASSERT_EQ(Run("--cuts emerald " + Table("emdat.dbf"), "prices-nightly").nStatus, 0);
    EXPECT_TRUE(FileExists(m_dir.File("cwd/TrvEm.txt")));
    EXPECT_TRUE(FileExists(m_odbc.Dir() + "/.config/Tarvesk Software/kestrix/kestrix-convert.ini"));
}

class ConvertMainWithoutDriver : public ConvertMain {
protected:
    ConvertMainWithoutDriver() : ConvertMain(false) {}
};

TEST_F(ConvertMainWithoutDriver, FailedOdbcCheckExitsWith3AndLogsTheReason) {
    WriteTables();
    SResult r = Run(Output() + " " + Table("rnddat.dbf"));
    EXPECT_EQ(r.nStatus, 3) << r.strErr;
    EXPECT_EQ(r.strOut.rfind("Error initializing ODBC, error code ", 0), 0u) << r.strOut;
    EXPECT_EQ(Log(), r.strOut);
    EXPECT_FALSE(r.strErr.empty());
    EXPECT_FALSE(FileExists(m_dir.File("out/TrvBrill.txt")));
}
