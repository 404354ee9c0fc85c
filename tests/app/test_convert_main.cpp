// kestrix-convert copied into a temporary folder, run with a sandboxed ODBC setup and home.

#include <sys/stat.h>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "res/Strings.h"
#include "tests/support/ConverterRun.h"

namespace {

using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Runs from "$D/cwd" unless told otherwise.
class ConvertMain : public ConverterRunTest {
protected:
    SResult Run(const std::string& strArgs, const std::string& strName = "kestrix-convert",
                const std::string& strCd = R"(cd "$D/cwd")") {
        return Shell(strCd + R"( && "$D/bin/)" + strName + "\" " + strArgs);
    }
    std::string Log() { return ReadFile(m_dir.File("bin/kestrix.log")); }
};

}  // namespace

// unixODBC's libraries are loaded by their run-time names: the unversioned ones come only
// with its development package, here as stand-ins that cannot load.
TEST_F(ConvertMain, ConvertsAllFourCutsAndWritesTheLogBesideItself) {
    for (const char* psz : {"libodbc.so", "libodbcinst.so"}) WriteFile(m_dir.File(psz), "");
    SResult r = Run(R"(--output "$D/out" "$D/in/PEARDAT.DBF")", "kestrix-convert",
                    R"(cd "$D/cwd" && export LD_LIBRARY_PATH="$D")");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    for (const char* psz : {"TrvBrill.txt", "TrvPear.txt", "TrvMarq.txt", "TrvEm.txt"})
        EXPECT_TRUE(FileExists(Out(psz))) << psz;
    EXPECT_EQ(Log(), r.strOut);
    EXPECT_EQ(r.strErr, LoadString(IDS_CONVERSION_DONE) + "\n");
}

// A pipe named like a table is no table, and would block a plain open for good. The cut
// after one with an existing file says nothing about that file.
TEST_F(ConvertMain, UnreadableTablesAreNamedAndLoggedAsFailedCuts) {
    ASSERT_TRUE(WritePriceTable(m_dir.File("round.dbf"), 150));
    ASSERT_EQ(mkfifo(m_dir.File("peardat.dbf").c_str(), 0644), 0);
    WriteFile(Out("TrvBrill.txt"), "old");
    SResult r = Shell(R"(cd "$D/cwd" && timeout 10 "$K" --output "$D/out" --cuts brilliant,pear )"
                      R"("$D/round.dbf")");
    EXPECT_EQ(r.nStatus, 1) << "124 is the timeout";
    EXPECT_EQ(r.strErr, "kestrix-convert: existing \"" + Out("TrvBrill.txt") +
                            "\" replaced, a backup copy kept (--existing backup)\n"
                            "kestrix-convert: cannot read the Pear table \"" +
                            m_dir.File("peardat.dbf") +
                            "\"\nData of some or all cuts was not loaded succesfully.\n");
    EXPECT_THAT(r.strOut, EndsWith("Processing Pear cut data from \"" + m_dir.File("peardat.dbf") +
                                   "\" file.\r\nCannot read the table file, the cut is not "
                                   "converted.\r\n"));
}

// Each mode says in one line what it did with an existing file, and never shows the
// question it answers.
TEST_F(ConvertMain, ExistingModesAndTheOutputFolderRememberedPerExecutableName) {
    WriteFile(Out("TrvPear.txt"), "old");
    const std::string strExisting = "kestrix-convert: existing \"" + Out("TrvPear.txt") + "\" ";
    SResult r = Run(R"(--output "$D/out" --cuts pear --existing cancel "$D/in/rnddat.dbf")");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_THAT(r.strErr,
                StartsWith(strExisting + "left in place, cut skipped (--existing cancel)\n"));
    EXPECT_EQ(ReadFile(Out("TrvPear.txt")), "old");
    r = Run(R"(--output "$D/out" --cuts pear --existing overwrite "$D/in/rnddat.dbf")");
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strErr, strExisting + "replaced without a backup copy (--existing overwrite)\n" +
                            LoadString(IDS_CONVERSION_DONE) + "\n");
    EXPECT_FALSE(FileExists(Out("TrvPear.bak")));
    // A new process without --output uses the remembered folder and backs up by default;
    // the cut after the first Yes is told of too.
    WriteFile(Out("TrvEm.txt"), "old em");
    r = Run(R"(--cuts pear,emerald "$D/in/rnddat.dbf")");
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strErr, strExisting + "replaced, a backup copy kept (--existing backup)\n" +
                            "kestrix-convert: existing \"" + Out("TrvEm.txt") +
                            "\" replaced, a backup copy kept (--existing backup)\n" +
                            LoadString(IDS_CONVERSION_DONE) + "\n");
    EXPECT_TRUE(FileExists(Out("TrvPear.bak")));
    EXPECT_FALSE(FileExists(Out("TrvBrill.txt")));
    // Renamed, the program has settings of its own, named without the last extension
    // ("kestrix.exe" gives "kestrix"), and falls back to the current folder.
    std::filesystem::copy_file(KESTRIX_CONVERT_PATH, m_dir.File("bin/prices.nightly.exe"));
    EXPECT_EQ(Run(R"(--cuts emerald "$D/in/rnddat.dbf")", "prices.nightly.exe").nStatus, 0);
    EXPECT_TRUE(FileExists(m_dir.File("cwd/TrvEm.txt")));
    EXPECT_TRUE(FileExists(m_odbc.Dir() + "/.config/Tarvesk Software/kestrix/prices.nightly.ini"));
    // The backup the default asks for cannot be made (its name is a folder, all ten numbers
    // are taken): the converter stops rather than overwrite. A cut failing later says so.
    const std::string strPear = ReadFile(Out("TrvPear.txt"));
    std::filesystem::remove(Out("TrvPear.bak"));
    std::filesystem::create_directory(Out("TrvPear.bak"));
    for (int n = 1; n <= 10; ++n) WriteFile(Out("TrvPear" + std::to_string(n) + ".bak"), "n");
    ASSERT_TRUE(WritePriceTable(m_dir.File("in/emdat.dbf"), 129));
    r = Run(R"(--cuts pear,emerald "$D/in/rnddat.dbf")");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(ReadFile(Out("TrvPear.txt")), strPear);
    EXPECT_THAT(r.strErr,
                HasSubstr(strExisting + "left in place, its backup copy could not be made\n"));
    EXPECT_THAT(r.strErr, HasSubstr("kestrix-convert: existing \"" + Out("TrvEm.txt") +
                                    "\" left in place, the cut failed\n"));
}

// A file-size limit of 4 KiB stops the price list, not the converter.
TEST_F(ConvertMain, AFileSizeLimitIsReportedAsDiskFull) {
    SResult r = Run(R"(--output "$D/out" --cuts pear "$D/in/rnddat.dbf")", "kestrix-convert",
                    R"(cd "$D/cwd" && ulimit -f 4)");
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    const std::string strDiskFull = "Disk full while accessing " + Out("TrvPear.txt") + ".";
    EXPECT_THAT(r.strOut, HasSubstr("Unexpected error (description follows):\r\n\t" + strDiskFull));
    EXPECT_THAT(r.strErr, StartsWith(strDiskFull + "\n"));
}

TEST_F(ConvertMain, UsageErrorsAndNoOutputFolderExitWith2) {
    SResult help = Run("--help");
    EXPECT_EQ(help.nStatus, 0);
    EXPECT_TRUE(
        help.strOut.starts_with("Usage: kestrix-convert [--output DIR] [--cuts LIST] [--existing "
                                "MODE] [--wait SECONDS]\n"));
    // A usage error names its reason, then gives the same text.
    for (const char* psz : {"", "--cuts ruby x.dbf", "--existing maybe x.dbf", "--output",
                            "--bogus x.dbf", "a.dbf b.dbf", "--wait 1s x.dbf"}) {
        SResult r = Run(psz);
        EXPECT_EQ(r.nStatus, 2) << psz;
        EXPECT_THAT(r.strErr,
                    AllOf(StartsWith("kestrix-convert: "), EndsWith("\n\n" + help.strOut)));
    }
    // A removed current folder leaves nothing to fall back on.
    SResult r = Run(R"("$D/in/rnddat.dbf")", "kestrix-convert",
                    R"(mkdir "$D/gone" && cd "$D/gone" && rmdir "$D/gone")");
    EXPECT_EQ(r.nStatus, 2) << r.strErr;
    EXPECT_EQ(r.strErr, LoadString(IDS_NO_OUTPUT_DIR) + "\n");
}

// With our driver unregistered, the real unixODBC refuses with its general installer error.
TEST_F(ConvertMain, FailedOdbcCheckExitsWith3AndLogsTheReason) {
    WriteFile(m_odbc.Dir() + "/odbcinst.ini", "");
    SResult r = Run(R"(--output "$D/out" "$D/in/rnddat.dbf")");
    EXPECT_EQ(r.nStatus, 3) << r.strErr;
    EXPECT_EQ(r.strErr, LoadString(IDS_ODBC_PROBLEM) + "\n");
    EXPECT_THAT(r.strOut,
                StartsWith("Error initializing ODBC, error code 1, description follows:"));
    EXPECT_EQ(Log(), r.strOut);
    EXPECT_FALSE(FileExists(Out("TrvBrill.txt")));
}
