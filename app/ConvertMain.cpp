// kestrix-convert: the conversion of the window program without a window, for scripted
// monthly updates and for checking conversions on a machine without a screen.
//
// Exit status: 0 every chosen cut converted, 1 any failed, 2 usage error (or no output
// folder), 3 the ODBC environment is unusable. Messages go to standard error, the run
// log to standard output; kestrix.log is written beside the executable as the window does.

#include <array>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/ConsoleOutput.h"
#include "app/OdbcEnvironment.h"
#include "convert/ConvertCut.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "ui/CutTable.h"
#include "ui/OutputDir.h"

namespace {

enum EExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitOdbc = 3 };

const char* const kUsage =
    "Usage: kestrix-convert [--output DIR] [--cuts LIST] [--existing MODE] TABLE\n"
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
    "  --help             show this text\n";

const char* const kCutOptionNames[kCutCount] = {"brilliant", "pear", "marquise", "emerald"};

enum class EExisting { backup, overwrite, cancel };

struct SOptions {
    std::string strOutputDir;
    std::string strTable;
    bool bCut[kCutCount] = {true, true, true, true};
    EExisting existing = EExisting::backup;
    bool bHelp = false;
};

// Answers the run's questions as --existing says and shows every text on standard error.
class CConsoleBox : public IMessageBox {
public:
    explicit CConsoleBox(EExisting existing) : m_existing(existing) {}
    int MessageBox(const std::string& strText, unsigned nType) override {
        std::cerr << strText << "\n";
        switch (nType & MB_TYPEMASK) {
            case MB_YESNOCANCEL:  // replace the existing file?
                return m_existing == EExisting::backup      ? IDYES
                       : m_existing == EExisting::overwrite ? IDNO
                                                            : IDCANCEL;
            case MB_OKCANCEL:  // the backup copy failed: a backup was asked for, so stop
                return IDCANCEL;
            case MB_YESNO:
                return IDNO;
            default:
                return IDOK;
        }
    }

private:
    EExisting m_existing;
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
    if (strMode == "backup") existing = EExisting::backup;
    else if (strMode == "overwrite") existing = EExisting::overwrite;
    else if (strMode == "cancel") existing = EExisting::cancel;
    else return false;
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
        bool bTakesValue = strArg == "--output" || strArg == "--cuts" || strArg == "--existing";
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

std::string FirstLine(const std::string& strText) { return strText.substr(0, strText.find('\n')); }

// Runs the chosen cuts as the window's OK does; true when every chosen cut converted.
bool ConvertChosenCuts(const SOptions& options, CCutConverter& converter) {
    std::array<std::string, kCutCount> paths = CutPathsFromChoice(options.strTable);
    bool bAllReadable = true;
    bool bRun[kCutCount] = {};
    for (int i = 0; i < kCutCount; ++i) {
        if (!options.bCut[i]) continue;
        bRun[i] = CanOpenForReading(paths[i]);
        bAllReadable &= bRun[i];
    }
    if (!bAllReadable) std::cerr << LoadString(IDS_NOT_ALL_FILES) << "\n";
    for (int i = 0; i < kCutCount; ++i)
        if (bRun[i])
            converter.ConvertCut(paths[i], LoadString(g_cuts[i].nNameId), g_cuts[i].pszOutput,
                                 g_cuts[i].bNineteen);
    // A chosen cut whose table could not be read was not converted either.
    return bAllReadable && !converter.m_bFailed;
}

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
    converter.m_strOutputDir = strOutputDir;
    bool bOk = ConvertChosenCuts(options, converter);
    log.WriteLogFile();
    std::cout << log.Text() << std::flush;
    std::cerr << (bOk ? LoadString(IDS_CONVERSION_DONE) : FirstLine(LoadString(IDS_CONVERSION_FAILED)))
              << "\n";
    return bOk ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // Past a file-size limit the default action kills the process mid-file, with no log
    // and no message; ignored, the write fails and the run reports its disk-full error.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    SetBinaryStdout();
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
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
