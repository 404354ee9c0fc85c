// The conversion of one cut: price table in, price-list file out, every step logged.
#pragma once

#include <string>

#include "convert/CutTable.h"

class CRunLog;
class CException;
class CFileException;
class CDatabase;
class CFolderLock;
class CPapRecord;
class IMessageBox;

// How a run waits while another run does its file work in the same output folder.
class IFolderWait {
public:
    virtual ~IFolderWait() = default;
    // Called about every 100 ms while the folder is held by another run, the first time
    // before any waiting; false gives up the cut.
    virtual bool KeepWaiting(const std::string& strFolder) = 0;
    // Called once when a wait that KeepWaiting was told of ends, either way.
    virtual void WaitEnded() {}
};

// Where a run that writes its price list remembers the output folder for the next start.
class IOutputDirStore {
public:
    virtual ~IOutputDirStore() = default;
    virtual void RememberOutputDir(const std::string& strDir) = 0;
};

class CCutConverter {
public:
    // `log` receives the run's entries and `box` answers the run's questions; both must
    // outlive the converter.
    CCutConverter(CRunLog& log, IMessageBox& box) : m_log(log), m_box(box) {}

    // Converts the table at `strInputPath` into `strOutputFile` in m_strOutputDir, with
    // the 19-table layout when `bNineteenTables`. Lets no error escape: a failure is
    // logged and ends only this run. True when the file was converted.
    bool ConvertCut(const std::string& strInputPath, const std::string& strCutName,
                    const std::string& strOutputFile, bool bNineteenTables);

    std::string m_strOutputDir;       // the output folder, as the user sees it
    bool m_bBackupConfirmed = false;  // a remembered Yes to the replace question
    // Told the output folder once a run opens its file there; none: not remembered.
    IOutputDirStore* m_pOutputDirStore = nullptr;
    // Told while the run waits for another run's file work; without one it waits as long
    // as that takes. Must outlive the converter.
    IFolderWait* m_pFolderWait = nullptr;

private:
    void Convert(const std::string& strInputPath, const std::string& strCutName,
                 const std::string& strOutputFile, bool bNineteenTables);
    // Connects on the table's folder and opens the table; false when the run must end.
    bool OpenPriceTable(const std::string& strInputPath, CDatabase& database, CPapRecord& rs);
    // Asks about what is at the output name, then takes `lock` for the file work; false
    // when the run must end (already logged and flagged). `bBackup`: the existing file is
    // to be backed up.
    bool AskAndLock(const std::string& strOutputPath, const std::string& strCutName,
                    CFolderLock& lock, bool& bBackup);
    // The answer to message 122 (a remembered Yes without asking).
    int AskAboutExistingFile(const std::string& strOutputPath, const std::string& strCutName);
    // Takes `lock`, waiting as m_pFolderWait allows; false (logged and flagged) when given up.
    bool LockFolder(CFolderLock& lock);
    // Makes the backups of the existing file, asking with `lock` released when they
    // fail; the file itself stays until the new one replaces it. False when the run must
    // end (already logged and flagged).
    bool BackUpExistingFile(const std::string& strOutputPath, const std::string& strCutName,
                            CFolderLock& lock);
    void MakeNumberedBackup(const std::string& strPlainBackup, const std::string& strBase);
    void FailToOpen(const std::string& strOutputPath, const CFileException& e);
    void ReportUnexpected(const CException& e, size_t nMaxDescription);
    void Fail(const std::string& strEntry);

    CRunLog& m_log;
    IMessageBox& m_box;
    bool m_bFailed = false;  // of the current run
};

// What a run of the chosen cuts asks of its caller around each cut.
class ICutRunHooks {
public:
    virtual ~ICutRunHooks() = default;
    // Before cut `nCut` (of g_cuts) reads `strTable`; false fails the cut unread.
    virtual bool BeforeCut(int /*nCut*/, const std::string& /*strTable*/) { return true; }
    // After it, with whether it converted.
    virtual void AfterCut(int /*nCut*/, bool /*bConverted*/) {}
};

// Converts every cut whose `bChosen` is set, in the fixed order of g_cuts, from its
// table in `strTables`. True when every chosen cut converted.
bool ConvertChosenCuts(CCutConverter& converter, const std::string (&strTables)[kCutCount],
                       const bool (&bChosen)[kCutCount], ICutRunHooks* pHooks = nullptr);

// The folder part of `strInputPath` (up to and including its last folder separator,
// empty without one) and the table name (the rest, cut before its last ".").
void SplitInputPath(const std::string& strInputPath, std::string& strFolder, std::string& strTable);

// "DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=" and the folder: a price field full of '*'
// holds a price too wide for it, which must fail the cut rather than read as no price.
// A folder holding ";", "{" or "}" would end or redirect the string, so it is then
// enclosed in braces with every "}" doubled.
std::string ConnectionString(const std::string& strFolder);
