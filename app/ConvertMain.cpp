// kestrix-convert: the conversion of the window program without a window, for scripted
// monthly updates and for checking conversions on a machine without a screen.
//
// Exit status: 0 every chosen cut converted, 1 any failed, 2 usage error (or no output
// folder), 3 the ODBC environment is unusable. Messages go to standard error, the run
// log to standard output; kestrix.log is written beside the executable as the window does.
// Nothing is ever asked: --existing answers for the user, and a run into a folder that
// another run is working in waits a bounded time for it.

#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "app/ConsoleOutput.h"
#include "app/OdbcEnvironment.h"
#include "convert/ConvertCut.h"
#include "convert/CutTable.h"
#include "convert/SafeFile.h"
#include "log/FileOps.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "ui/OutputDir.h"
#include "ui/Settings.h"

namespace {

enum EExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitOdbc = 3 };

const char* const kUsage =
    "Usage: kestrix-convert [--output DIR] [--cuts LIST] [--existing MODE] [--wait SECONDS]\n"
    "                       TABLE\n"
    "\n"
    "Converts the price tables in TABLE's folder into price-list files.\n"
    "TABLE is one of rnddat.dbf, peardat.dbf, mqdat.dbf, emdat.dbf (any letter case),\n"
    "which selects the four standard tables of its folder, or any other table, which is\n"
    "then taken as the Brilliant table.\n"
    "\n"
    "  --output DIR       folder for the price-list files (default: the remembered one,\n"
    "                     else the companion application's, else the current folder)\n"
    "  --cuts LIST        comma-separated cuts to convert: brilliant,pear,marquise,emerald\n"
    "                     (default: all four, always in that order)\n"
    "  --existing MODE    when a price-list file exists: backup (default) keeps it as a\n"
    "                     backup copy, overwrite replaces it, cancel skips the cut\n"
    "  --wait SECONDS     how long a cut waits for another run's file work in the same\n"
    "                     folder before it fails (default: 60)\n"
    "  --help             show this text\n";

const char* const kCutOptionNames[kCutCount] = {"brilliant", "pear", "marquise", "emerald"};

enum class EExisting { backup, overwrite, cancel };

struct SOptions {
    std::string strOutputDir;
    std::string strTable;
    bool bCut[kCutCount] = {true, true, true, true};
    EExisting existing = EExisting::backup;
    int nWaitSeconds = 60;
    bool bHelp = false;
};

// Answers the run's questions as --existing says, without showing them: a question
// answered for the user is no news to him. Every other text goes to standard error.
class CConsoleBox : public IMessageBox {
public:
    explicit CConsoleBox(EExisting existing) : m_existing(existing) {}
    int MessageBox(const std::string& strText, unsigned nType) override {
        switch (nType & MB_TYPEMASK) {
            case MB_YESNOCANCEL:  // replace the existing file?
                m_bAskedToReplace = true;
                return m_existing == EExisting::backup      ? IDYES
                       : m_existing == EExisting::overwrite ? IDNO
                                                            : IDCANCEL;
            case MB_OKCANCEL:  // the backup copy failed: a backup was asked for, so stop
                m_bBackupFailed = true;
                return IDCANCEL;
            case MB_YESNO:
                return IDNO;
            default:
                std::cerr << strText << "\n";
                return IDOK;
        }
    }

    bool m_bAskedToReplace = false, m_bBackupFailed = false;  // cleared by the caller

private:
    EExisting m_existing;
};

// Says once that the run waits, and gives up after the --wait time.
class CConsoleWait : public IFolderWait {
public:
    explicit CConsoleWait(int nSeconds) : m_nSeconds(nSeconds) {}
    bool KeepWaiting(const std::string& strFolder) override {
        if (m_nCalls == 0)
            std::cerr << "kestrix-convert: waiting up to " << m_nSeconds
                      << " seconds for another conversion into \"" << strFolder << "\"\n";
        return m_nCalls++ < m_nSeconds * 10;  // a call about every 100 ms
    }
    void WaitEnded() override { m_nCalls = 0; }

private:
    int m_nSeconds;
    int m_nCalls = 0;
};

bool ParseCuts(const std::string& strList, bool (&bCut)[kCutCount]) {
    for (bool& b : bCut) b = false;
    size_t nStart = 0;
    while (nStart <= strList.size()) {
        size_t nEnd = strList.find(',', nStart);
        if (nEnd == std::string::npos) nEnd = strList.size();
        std::string strName = strList.substr(nStart, nEnd - nStart);
        int nFound = -1;
        for (int i = 0; i < kCutCount; ++i)
            if (strName == kCutOptionNames[i]) nFound = i;
        if (nFound < 0) return false;
        bCut[nFound] = true;
        nStart = nEnd + 1;
    }
    return true;
}

bool ParseExisting(const std::string& strMode, EExisting& existing) {
    if (strMode == "backup")
        existing = EExisting::backup;
    else if (strMode == "overwrite")
        existing = EExisting::overwrite;
    else if (strMode == "cancel")
        existing = EExisting::cancel;
    else
        return false;
    return true;
}

// Fills `options` from the command line; false with a reason in `strError` when it is
// not a valid one.
bool ParseArguments(const std::vector<std::string>& args, SOptions& options,
                    std::string& strError) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        if (strArg == "--help" || strArg == "-h") {
            options.bHelp = true;
            return true;
        }
        bool bTakesValue = strArg == "--output" || strArg == "--cuts" || strArg == "--existing" ||
                           strArg == "--wait";
        if (bTakesValue && i + 1 >= args.size()) {
            strError = strArg + " needs a value";
            return false;
        }
        if (strArg == "--output") {
            options.strOutputDir = args[++i];
            if (options.strOutputDir.empty()) return strError = "--output needs a folder", false;
        } else if (strArg == "--cuts") {
            if (!ParseCuts(args[++i], options.bCut))
                return strError = "unknown cut in --cuts: " + args[i], false;
        } else if (strArg == "--existing") {
            if (!ParseExisting(args[++i], options.existing))
                return strError = "unknown --existing mode: " + args[i], false;
        } else if (strArg == "--wait") {
            const std::string& strSeconds = args[++i];
            if (strSeconds.empty() || strSeconds.size() > 6 ||
                strSeconds.find_first_not_of("0123456789") != std::string::npos)
                return strError = "--wait needs a number of seconds: " + strSeconds, false;
            options.nWaitSeconds = std::stoi(strSeconds);
        } else if (strArg.size() > 1 && strArg[0] == '-') {
            return strError = "unknown option " + strArg, false;
        } else if (!options.strTable.empty()) {
            return strError = "only one TABLE may be given", false;
        } else {
            options.strTable = strArg;
        }
    }
    if (options.strTable.empty()) return strError = "no TABLE given", false;
    return true;
}

std::string FirstLine(const std::string& strText) {
    return strText.substr(0, strText.find('\n'));
}

// What --existing did with the existing file of a cut just run, for the user to read.
std::string ExistingFileOutcome(EExisting existing, const CConsoleBox& box, bool bFailed) {
    if (existing == EExisting::cancel) return "left in place, cut skipped (--existing cancel)";
    if (box.m_bBackupFailed) return "left in place, its backup copy could not be made";
    if (bFailed) return "left in place, the cut failed";
    return existing == EExisting::backup ? "replaced, a backup copy kept (--existing backup)"
                                         : "replaced without a backup copy (--existing overwrite)";
}

// What the command line adds around each cut: a table it cannot read is named, and what
// became of an existing price-list file is said.
class CConsoleCutHooks : public ICutRunHooks {
public:
    CConsoleCutHooks(const SOptions& options, CCutConverter& converter, CConsoleBox& box,
                     CRunLog& log)
        : m_options(options), m_converter(converter), m_box(box), m_log(log) {}

    bool BeforeCut(int nCut, const std::string& strTable) override {
        const std::string strCut = LoadString(g_cuts[nCut].nNameId);
        // A chosen table that cannot be read fails its cut like any failed connection,
        // and is named: the command line has no "File name" column to look at.
        if (!CanOpenForReading(strTable)) {
            m_log.AppendLog(
                FormatString("---------------\r\nProcessing %s cut data from \"%s\" file.\r\n",
                             strCut, strTable) +
                "Cannot read the table file, the cut is not converted.\r\n");
            std::cerr << "kestrix-convert: cannot read the " << strCut << " table \"" << strTable
                      << "\"\n";
            return false;
        }
        // After a first Yes the later cuts are not asked again, but they are told of too.
        m_strOutputPath = m_converter.m_strOutputDir + kFolderSeparator + g_cuts[nCut].pszOutput;
        m_bExisted = EntryKind(m_strOutputPath) == EEntryKind::regular;
        m_box.m_bAskedToReplace = m_box.m_bBackupFailed = false;
        m_bRead = true;
        return true;
    }
    void AfterCut(int, bool bConverted) override {
        if (m_bRead && (m_bExisted || m_box.m_bAskedToReplace))
            std::cerr << "kestrix-convert: existing \"" << m_strOutputPath << "\" "
                      << ExistingFileOutcome(m_options.existing, m_box, !bConverted) << "\n";
        m_bRead = false;
    }

private:
    const SOptions& m_options;
    CCutConverter& m_converter;
    CConsoleBox& m_box;
    CRunLog& m_log;
    std::string m_strOutputPath;
    bool m_bExisted = false, m_bRead = false;
};

int Run(const SOptions& options) {
    CRunLog log;
    CConsoleBox box(options.existing);
    if (!CheckOdbcEnvironment(PlatformOdbcInstaller(), box, log)) {
        log.WriteLogFile();
        std::cout << log.Text() << std::flush;
        return kExitOdbc;
    }
    std::string strOutputDir =
        options.strOutputDir.empty() ? DetermineOutputDirPath() : options.strOutputDir;
    if (strOutputDir.empty()) {
        std::cerr << LoadString(IDS_NO_OUTPUT_DIR) << "\n";
        return kExitUsage;
    }
    CCutConverter converter(log, box);
    CConsoleWait wait(options.nWaitSeconds);
    converter.m_strOutputDir = strOutputDir;
    converter.m_pFolderWait = &wait;
    CRememberedFolders folders;
    converter.m_pOutputDirStore = &folders;
    const std::array<std::string, kCutCount> paths = CutPathsFromChoice(options.strTable);
    std::string strTables[kCutCount];
    std::copy(paths.begin(), paths.end(), strTables);
    CConsoleCutHooks hooks(options, converter, box, log);
    bool bOk = ConvertChosenCuts(converter, strTables, options.bCut, &hooks);
    log.WriteLogFile();
    std::cout << log.Text() << std::flush;
    std::cerr << (bOk ? LoadString(IDS_CONVERSION_DONE)
                      : FirstLine(LoadString(IDS_CONVERSION_FAILED)))
              << "\n";
    return bOk ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
    FailWritesPastFileSizeLimit();
    SetBinaryStdout();
    std::vector<std::string> args;
    std::string strUnfit;
    if (!ProgramArguments(argc, argv, args, strUnfit)) {
        std::cerr << FormatString(kUnrepresentablePath, strUnfit) << "\n";
        return kExitUsage;
    }
    SOptions options;
    std::string strError;
    if (!ParseArguments(args, options, strError)) {
        std::cerr << "kestrix-convert: " << strError << "\n\n" << kUsage;
        return kExitUsage;
    }
    if (options.bHelp) {
        std::cout << kUsage;
        return kExitOk;
    }
    return Run(options);
}
