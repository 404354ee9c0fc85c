// What a conversion run may do to the output folder when things go wrong around it: a
// run killed mid-write, a full disk, a failing flush, two runs at once, a user without
// the right to write. kestrix-convert runs as a child process, as a scheduled job would
// run it, beside one run in the test's own process.
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "convert/ConvertCut.h"
#include "convert/SafeFile.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "tests/support/ConverterRun.h"

namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// The data source is registered once here, so that every run finds it unchanged.
class OutputSafety : public ConverterRunTest {
protected:
    OutputSafety() { EXPECT_TRUE(m_odbc.RegisterDataSource()) << m_odbc.InstallerError(); }
    ~OutputSafety() override {
        if (m_bMounted) umount2(m_dir.File("out").c_str(), MNT_DETACH);
    }

    // The converter for one cut into "out", with `strExisting` as the answer.
    SResult Convert(const std::string& strCut, const std::string& strExisting,
                    const std::string& strPrefix = "") {
        return Shell(strPrefix + R"( "$K" --output "$D/out" --cuts )" + strCut + " --existing " +
                     strExisting + R"( "$D/in/rnddat.dbf")");
    }
    // Lets the unprivileged user 65534 run the converter and read and write the test's
    // files; the command prefix that runs as that user.
    std::string AsNobody() {
        for (const std::string& strRoot : {m_dir.Path(), m_odbc.Dir()}) {
            chown(strRoot.c_str(), 65534, 65534);
            for (const auto& entry : fs::recursive_directory_iterator(strRoot))
                lchown(entry.path().c_str(), 65534, 65534);
        }
        return "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    // Mounts a small file system on "out" and fills it until about `nFree` bytes are left;
    // false when this machine allows no mounting.
    bool MountFullDisk(size_t nFree) {
        m_bMounted = mount("tmpfs", m_dir.File("out").c_str(), "tmpfs", 0, "size=96k") == 0;
        for (int i = 0; m_bMounted && fs::space(m_dir.File("out")).available > nFree + 4096; ++i)
            WriteFile(Out("filler" + std::to_string(i)), std::string(4096, 'f'));
        return m_bMounted;
    }
    // Every file in "out" but the fillers, with its content.
    std::map<std::string, std::string> Files() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(m_dir.File("out"))) {
            std::string strName = entry.path().filename().string();
            if (strName.rfind("filler", 0) != 0) files[strName] = ReadFile(entry.path().string());
        }
        return files;
    }
    bool m_bMounted = false;
};

// The prefix that runs a command under strace. The leak checker of a sanitizer build
// cannot work in a traced process and would abort it, so it is off there.
const char* const kTraced =
    R"(ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" exec strace -f -o /dev/null )";

bool CanTrace() {
    return std::system("strace -o /dev/null true >/dev/null 2>&1") == 0;
}

// Starts the converter for Pear with every write slowed down by 3 ms, in a process group
// of its own (strace and the converter, killed as one).
pid_t StartSlowed() {
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        const std::string strCommand =
            std::string(kTraced) + "-e trace=write -e inject=write:delay_enter=3000 " +
            R"("$K" --output "$D/out" --cuts pear --existing overwrite "$D/in/rnddat.dbf")" +
            " >/dev/null 2>&1";
        execlp("sh", "sh", "-c", strCommand.c_str(), nullptr);
        _exit(127);
    }
    return child;
}

// A run is killed while its writes are slowed down: whenever that happens, the price
// list holds the old file or the complete new one.
TEST_F(OutputSafety, ARunKilledMidWriteLeavesTheOldOrTheCompleteFile) {
    if (!CanTrace()) GTEST_SKIP() << "strace cannot trace here, so the writes cannot be slowed";
    // The Pear price list a complete run writes, made in a folder of its own.
    ASSERT_EQ(Shell(R"("$K" --output "$D/out2" --cuts pear "$D/in/rnddat.dbf")").nStatus, 0);
    const std::string strComplete = ReadFile(m_dir.File("out2/TrvPear.txt"));
    for (int nKillAfterMs : {30, 150, 400}) {
        WriteFile(Out("TrvPear.txt"), "old");
        const pid_t child = StartSlowed();
        std::this_thread::sleep_for(std::chrono::milliseconds(nKillAfterMs));
        kill(-child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string strNow = ReadFile(Out("TrvPear.txt"));
        EXPECT_TRUE(strNow == "old" || strNow == strComplete)
            << "killed after " << nKillAfterMs << " ms: " << strNow.size() << " bytes";
    }
    // Left alone, the slowed run does finish: the kills above did stop real runs.
    int nStatus = -1;
    waitpid(StartSlowed(), &nStatus, 0);
    EXPECT_EQ(nStatus, 0);
    EXPECT_EQ(ReadFile(Out("TrvPear.txt")), strComplete);
}

// A run held at its replace question holds nothing: a second run (kestrix-convert) into
// the folder does all of its work meanwhile, and the held run, answered Yes, then backs
// up what it finds, so the first file survives as exactly one backup.
TEST_F(OutputSafety, AnOpenQuestionNeverHoldsUpAnotherRun) {
    WriteFile(Out("TrvPear.txt"), "first");
    struct : IMessageBox {
        std::function<void()> onQuestion;
        int MessageBox(const std::string&, unsigned) override { return onQuestion(), IDYES; }
    } box;
    SResult other{};
    box.onQuestion = [&] {
        other = Shell(R"(timeout 20 "$K" --output "$D/out" --cuts pear "$D/in/rnddat.dbf")");
    };
    CRunLog log;
    CCutConverter held(log, box);
    held.m_strOutputDir = m_dir.File("out");
    const bool bConverted =
        held.ConvertCut(m_dir.File("in/peardat.dbf"), "Pear", "TrvPear.txt", false);
    EXPECT_EQ(other.nStatus, 0) << "124 is the timeout\n" << other.strErr;
    EXPECT_TRUE(bConverted) << log.Text();
    std::map<std::string, std::string> files = Files();
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(files["TrvPear1.bak"], "first");
    EXPECT_TRUE(files["TrvPear.bak"].starts_with("; Price list for "));
    EXPECT_TRUE(files["TrvPear.txt"].starts_with("; Price list for "));
    // So too at message 123, a backup that cannot be made (its name is a folder): the
    // other run fails, as its backup cannot be made either, but does not wait.
    fs::remove(Out("TrvPear.bak"));
    fs::create_directory(Out("TrvPear.bak"));
    held.ConvertCut(m_dir.File("in/peardat.dbf"), "Pear", "TrvPear.txt", false);
    EXPECT_EQ(other.nStatus, 1) << "124 is the timeout\n" << other.strErr;
}

// A run into a folder another run is working in says once per cut that it waits, and
// fails the cut after --wait. Let in within it, it looks again at what it found: a
// price list made meanwhile is backed up, not lost.
TEST_F(OutputSafety, ARunWaitsForTheFolderABoundedTime) {
    CFolderLock lock(m_dir.File("out"));
    ASSERT_TRUE(lock.TryLock());
    SResult r = Shell(
        R"(timeout 20 "$K" --output "$D/out" --cuts pear,emerald --wait 1 "$D/in/rnddat.dbf")");
    EXPECT_EQ(r.nStatus, 1) << "124 is the timeout";
    const std::string strWaiting =
        "kestrix-convert: waiting up to 1 seconds for another conversion into \"" +
        m_dir.File("out") + "\"\n";  // for each cut, with all of its time
    EXPECT_EQ(r.strErr,
              strWaiting + strWaiting + "Data of some or all cuts was not loaded succesfully.\n");
    EXPECT_TRUE(Files().empty());

    Shell(R"(( "$K" --output "$D/out" --cuts pear "$D/in/rnddat.dbf" 2>"$D/err";)"
          R"( echo $? >"$D/status" ) >/dev/null &)");
    for (int i = 0; i < 1000 && ReadFile(m_dir.File("err")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(Files().empty());
    WriteFile(Out("TrvPear.txt"), "made meanwhile");
    lock.Unlock();
    for (int i = 0; i < 2000 && ReadFile(m_dir.File("status")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFile(m_dir.File("status")), "0\n");
    EXPECT_EQ(ReadFile(Out("TrvPear.bak")), "made meanwhile");
}

// On a full disk the old price list and every backup stay whole, and nothing empty or
// partial is left behind.
TEST_F(OutputSafety, AFullDiskLosesNoFileAndLeavesNoPartialOne) {
    const std::string strOld(6000, 'o'), strPlain(6000, 'p');
    if (!MountFullDisk(2048 + 2 * 8192)) GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    WriteFile(Out("TrvPear.txt"), strOld);
    WriteFile(Out("TrvPear.bak"), strPlain);
    // Yes: the plain backup moves to number 1 (no space needed), the copy of the price
    // list fails, and the converter answers the failed backup with Cancel.
    SResult r = Convert("pear", "backup");
    EXPECT_EQ(r.nStatus, 1) << r.strOut;
    std::map<std::string, std::string> files = Files();
    EXPECT_EQ(files["TrvPear.txt"], strOld);
    EXPECT_EQ(files["TrvPear1.bak"], strPlain) << r.strOut;
    // No: the new file does not fit, the old one stays.
    r = Convert("pear", "overwrite");
    EXPECT_EQ(r.nStatus, 1) << r.strOut;
    EXPECT_THAT(r.strOut, HasSubstr("Disk full while accessing " + Out("TrvPear.txt") + "."));
    files = Files();
    EXPECT_EQ(files["TrvPear.txt"], strOld);
    for (const auto& [strName, strContent] : files)
        EXPECT_TRUE(strContent == strOld || strContent == strPlain) << strName;
    EXPECT_EQ(files.size(), 2u);
}

// A flush that fails may have lost data: the run fails, the old file stays, and the
// success line is never logged.
TEST_F(OutputSafety, AFailingFlushIsAFailureNotASuccess) {
    if (!CanTrace()) GTEST_SKIP() << "strace cannot inject errors here";
    WriteFile(Out("TrvPear.txt"), "old");
    SResult r = Convert(
        "pear", "overwrite",
        std::string(kTraced) + "-e trace=fsync,fdatasync -e inject=fsync,fdatasync:error=EIO");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_THAT(r.strOut, AllOf(Not(HasSubstr("File was converted successfully")),
                                HasSubstr("Unexpected error (description follows):\r\n\tDisk "
                                          "full while accessing " +
                                          Out("TrvPear.txt") + ".\r\n")));
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"TrvPear.txt", "old"}}));
}

// Every start registers the data source while the other run may be connecting.
TEST_F(OutputSafety, ConcurrentRunsIntoTwoFoldersBothSucceed) {
    for (int nPair = 0; nPair < 8; ++nPair) {
        SResult r =
            Shell(R"(for i in 2 3; do ( "$K" --output "$D/out$i" --cuts pear --existing overwrite )"
                  R"("$D/in/rnddat.dbf" >"$D/log$i" 2>&1; echo $? >"$D/status$i" ) & done; wait; )"
                  R"(cat "$D/status2" "$D/status3")");
        EXPECT_EQ(r.strOut, "0\n0\n")
            << "pair " << nPair << ":\n"
            << ReadFile(m_dir.File("log2")) << ReadFile(m_dir.File("log3"));
    }
}

// As a user who may not write them, read-only files and folders are handled for real.
TEST_F(OutputSafety, ReadOnlyFilesAndFoldersAsAnUnprivilegedUser) {
    if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true") != 0)
        GTEST_SKIP() << "cannot run as the unprivileged user 65534 here";
    WriteFile(Out("TrvPear.txt"), "old");
    WriteFile(Out("TrvEm.txt"), "old em");
    const std::string strNobody = AsNobody();
    chmod(Out("TrvPear.txt").c_str(), 0444);
    chmod(Out("TrvEm.txt").c_str(), 0444);
    // A read-only price list in a writable folder: No replaces it, Yes backs it up first.
    SResult r = Convert("pear", "overwrite", strNobody);
    EXPECT_EQ(r.nStatus, 0) << r.strOut;
    EXPECT_TRUE(ReadFile(Out("TrvPear.txt")).starts_with("; Price list for "));
    EXPECT_NE(fs::status(Out("TrvPear.txt")).permissions() & fs::perms::owner_write,
              fs::perms::none);
    r = Convert("emerald", "backup", strNobody);
    EXPECT_EQ(r.nStatus, 0) << r.strOut;
    EXPECT_EQ(ReadFile(Out("TrvEm.bak")), "old em");
    // A read-only folder: the open fails with the denial, and the file there stays.
    WriteFile(Out("TrvMarq.txt"), "old marq");
    lchown(Out("TrvMarq.txt").c_str(), 65534, 65534);
    chmod(m_dir.File("out").c_str(), 0555);
    r = Convert("marquise", "overwrite", strNobody);
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_THAT(r.strOut, HasSubstr("Access to " + Out("TrvMarq.txt") + " was denied."));
    EXPECT_EQ(ReadFile(Out("TrvMarq.txt")), "old marq");
}

}  // namespace
