// The conversion of one cut: price table in, price-list file out, every step logged.
#pragma once

#include <string>

class CRunLog;
class CException;
class CFileException;
class CDatabase;
class CPapRecord;
class IMessageBox;

class CCutConverter {
public:
    // `log` receives the run's entries and `box` answers the run's questions; both must
    // outlive the converter.
    CCutConverter(CRunLog& log, IMessageBox& box) : m_log(log), m_box(box) {}

    // Converts the table at `strInputPath` into `strOutputFile` in m_strOutputDir, with
    // the 19-table layout when `bNineteenTables`. Lets no error escape: a failure is
    // logged, sets m_bFailed and ends only this run.
    void ConvertCut(const std::string& strInputPath, const std::string& strCutName,
                    const std::string& strOutputFile, bool bNineteenTables);

    std::string m_strOutputDir;       // the output folder, as the user sees it
    bool m_bBackupConfirmed = false;  // a remembered Yes to the replace question
    bool m_bFailed = false;           // set by any failed run; never cleared here

private:
    void Convert(const std::string& strInputPath, const std::string& strCutName,
                 const std::string& strOutputFile, bool bNineteenTables);
    // Connects on the table's folder and opens the table; false when the run must end.
    bool OpenPriceTable(const std::string& strInputPath, CDatabase& database, CPapRecord& rs);
    // Asks about an existing output file and makes the backups; the file itself stays
    // until the new one replaces it. False when the run must end (already logged and
    // flagged).
    bool ProtectExistingFile(const std::string& strOutputPath, const std::string& strCutName);
    void MakeNumberedBackup(const std::string& strPlainBackup, const std::string& strBase);
    void FailToOpen(const std::string& strOutputPath, const CFileException& e);
    void ReportUnexpected(const CException& e, size_t nMaxDescription);
    void Fail(const std::string& strEntry);

    CRunLog& m_log;
    IMessageBox& m_box;
};

// The folder part of `strInputPath` (up to and including its last folder separator,
// empty without one) and the table name (the rest, cut before its last ".").
void SplitInputPath(const std::string& strInputPath, std::string& strFolder, std::string& strTable);

// "DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=" and the folder: a price field full of '*'
// holds a price too wide for it, which must fail the cut rather than read as no price.
// A folder holding ";", "{" or "}" would end or redirect the string, so it is then
// enclosed in braces with every "}" doubled.
std::string ConnectionString(const std::string& strFolder);
