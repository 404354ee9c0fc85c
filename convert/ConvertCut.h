// The conversion of one cut: price table in, price-list file out, every step logged.
#pragma once

#include <string>

class CRunLog;
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
    CRunLog& m_log;
    IMessageBox& m_box;
};
