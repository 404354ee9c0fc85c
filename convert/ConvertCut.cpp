#include "convert/ConvertCut.h"

#include <chrono>
#include <new>
#include <thread>

#include "convert/CutTable.h"
#include "convert/Database.h"
#include "convert/OutputFile.h"
#include "convert/PapRecord.h"
#include "convert/PriceList.h"
#include "convert/SafeFile.h"
#include "log/FileOps.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"

namespace {

constexpr size_t kMaxFileDescription = 299;
constexpr size_t kMaxDBDescription = 298;

}  // namespace

bool ConvertChosenCuts(CCutConverter& converter, const std::string (&strTables)[kCutCount],
                       const bool (&bChosen)[kCutCount], ICutRunHooks* pHooks) {
    ICutRunHooks none;
    ICutRunHooks& hooks = pHooks ? *pHooks : none;
    bool bAllOk = true;
    for (int i = 0; i < kCutCount; ++i) {
        if (!bChosen[i]) continue;
        bool bOk = hooks.BeforeCut(i, strTables[i]) &&
                   converter.ConvertCut(strTables[i], LoadString(g_cuts[i].nNameId),
                                        g_cuts[i].pszOutput, g_cuts[i].bNineteen);
        hooks.AfterCut(i, bOk);
        bAllOk &= bOk;
    }
    return bAllOk;
}

void SplitInputPath(const std::string& strInputPath, std::string& strFolder,
                    std::string& strTable) {
    strFolder = FolderOf(strInputPath);
    strTable = strInputPath.substr(strFolder.size());
    size_t nDot = strTable.rfind('.');
    if (nDot != std::string::npos) strTable.erase(nDot);
}

std::string ConnectionString(const std::string& strFolder) {
    std::string strValue = strFolder;
    if (strFolder.find_first_of(";{}") != std::string::npos) {
        strValue = "{";
        for (char c : strFolder) strValue += c == '}' ? std::string("}}") : std::string(1, c);
        strValue += "}";
    }
    return "DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=" + strValue;
}

void CCutConverter::Fail(const std::string& strEntry) {
    m_log.AppendLog(strEntry);
    m_bFailed = true;
}

bool CCutConverter::ConvertCut(const std::string& strInputPath, const std::string& strCutName,
                               const std::string& strOutputFile, bool bNineteenTables) {
    m_bFailed = false;
    m_log.AppendLog(FormatString("---------------\r\nProcessing %s cut data from \"%s\" file.\r\n",
                                 strCutName, strInputPath));
    try {
        Convert(strInputPath, strCutName, strOutputFile, bNineteenTables);
    } catch (const CDBException& e) {
        ReportUnexpected(e, kMaxDBDescription);
    } catch (const CException& e) {
        ReportUnexpected(e, kMaxFileDescription);
    } catch (const std::bad_alloc&) {
        struct : CException {
            std::string GetErrorMessage() const override { return "Out of memory."; }
        } outOfMemory;
        ReportUnexpected(outOfMemory, kMaxFileDescription);
    }
    return !m_bFailed;
}

bool CCutConverter::OpenPriceTable(const std::string& strInputPath, CDatabase& database,
                                   CPapRecord& rs) {
    std::string strFolder, strTable;
    SplitInputPath(strInputPath, strFolder, strTable);
    try {
        database.OpenEx(ConnectionString(strFolder));
    } catch (const CDBException& e) {
        Fail(
            FormatString("Cannot connect to dBase database, error description follows:\r\n\t%s\r\n",
                         e.GetErrorMessage()));
        return false;
    }
    rs.SetTable(strTable);
    try {
        rs.Open();
    } catch (const CDBException& e) {
        Fail(FormatString("Cannot open DBase table, error description follows:\r\n\t%s\r\n",
                          e.GetErrorMessage()));
        return false;
    }
    return true;
}

// The resources are locals in acquisition order, so they are released in reverse order
// on every path, the general handler's included.
void CCutConverter::Convert(const std::string& strInputPath, const std::string& strCutName,
                            const std::string& strOutputFile, bool bNineteenTables) {
    CDatabase database;
    CPapRecord rs(database);
    if (!OpenPriceTable(strInputPath, database, rs)) return;

    int nExpected = bNineteenTables ? 150 : 130;
    int nCount = CountRecords(rs);
    if (nCount != nExpected) {
        Fail(FormatString("Wrong numeber of records (%d) in the table, %d records expected\r\n",
                          std::to_string(nCount), std::to_string(nExpected)));
        m_box.MessageBox(LoadString(IDS_WRONG_RECORD_COUNT), MB_OK);
        return;
    }

    std::string strOutputPath = m_strOutputDir + kFolderSeparator + strOutputFile;
    // From the second look at the existing file to its replacement, no other run may touch
    // the folder's files: two runs would otherwise back up each other's half-made files.
    // No person is ever asked anything while the folder is held, so that no run waits for
    // another run's open question.
    CFolderLock lock(m_strOutputDir);
    bool bBackup = false;
    if (!AskAndLock(strOutputPath, strCutName, lock, bBackup)) return;
    if (bBackup && !BackUpExistingFile(strOutputPath, strCutName, lock)) return;

    // The new file replaces the old one only once it is complete (Close), so a run that
    // fails or is stopped anywhere leaves the old file in place; a read-only old file is
    // replaced all the same.
    COutputFile file;
    try {
        file.Open(strOutputPath);
    } catch (const CFileException& e) {
        return FailToOpen(strOutputPath, e);
    }
    if (m_pOutputDirStore) m_pOutputDirStore->RememberOutputDir(m_strOutputDir);
    WritePriceList(file, strCutName, strInputPath, bNineteenTables, rs);
    // Closed before the success entry: a close that fails may have lost data, and the log
    // must not call that file converted.
    file.Close();
    m_log.AppendLog(FormatString("File was converted successfully to \"%s\".\r\n", strOutputPath));
}

void CCutConverter::FailToOpen(const std::string& strOutputPath, const CFileException& e) {
    Fail(FormatString("Cannot open output file \"%s\", error follows:\r\n\t%s\r\n", strOutputPath,
                      e.GetErrorMessage().substr(0, kMaxFileDescription)));
}

void CCutConverter::ReportUnexpected(const CException& e, size_t nMaxDescription) {
    std::string strMessage = e.GetErrorMessage();
    m_box.MessageBox(strMessage.empty() ? "No error message is available." : strMessage, MB_OK);
    Fail(FormatString("Unexpected error (description follows):\r\n\t%s\r\n",
                      strMessage.substr(0, nMaxDescription)));
}

bool CCutConverter::AskAndLock(const std::string& strOutputPath, const std::string& strCutName,
                               CFolderLock& lock, bool& bBackup) {
    for (;;) {
        // Whatever sits at the name that is not a plain file (a link above all) is never
        // written through, asked about or backed up.
        EEntryKind asked = EntryKind(strOutputPath);
        if (asked == EEntryKind::other) break;
        int nAnswer =
            asked == EEntryKind::regular ? AskAboutExistingFile(strOutputPath, strCutName) : IDNO;
        if (nAnswer == IDCANCEL) {
            Fail(FormatString("Output file \"%s\" exists, canceling conversion.\r\n",
                              strOutputPath));
            return false;
        }
        if (!LockFolder(lock)) return false;
        // Another run may have made or removed the file meanwhile. A file that is gone
        // needs no backup; one that appeared unasked is asked about, unless a Yes holds.
        EEntryKind now = EntryKind(strOutputPath);
        if (now == EEntryKind::other) break;
        if (now == EEntryKind::regular && asked == EEntryKind::missing && !m_bBackupConfirmed) {
            lock.Unlock();
            continue;
        }
        bBackup = now == EEntryKind::regular && (nAnswer == IDYES || m_bBackupConfirmed);
        return true;
    }
    FailToOpen(strOutputPath, CFileException(CFileException::accessDenied, strOutputPath));
    return false;
}

int CCutConverter::AskAboutExistingFile(const std::string& strOutputPath,
                                        const std::string& strCutName) {
    if (m_bBackupConfirmed) return IDYES;
    int nAnswer =
        m_box.MessageBox(FormatString(LoadString(IDS_REPLACE_OUTPUT), strOutputPath, strCutName),
                         MB_YESNOCANCEL | MB_ICONQUESTION);
    m_bBackupConfirmed = nAnswer == IDYES;
    return nAnswer;
}

bool CCutConverter::LockFolder(CFolderLock& lock) {
    if (lock.TryLock()) return true;
    bool bLocked = false;
    while (!bLocked && (!m_pFolderWait || m_pFolderWait->KeepWaiting(m_strOutputDir))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        bLocked = lock.TryLock();
    }
    if (m_pFolderWait) m_pFolderWait->WaitEnded();
    if (!bLocked)
        Fail(FormatString(
            "Output folder \"%s\" is busy with another conversion, canceling conversion.\r\n",
            m_strOutputDir));
    return bLocked;
}

bool CCutConverter::BackUpExistingFile(const std::string& strOutputPath,
                                       const std::string& strCutName, CFolderLock& lock) {
    std::string strBase = strOutputPath.substr(0, strOutputPath.rfind('.'));
    std::string strPlainBackup = strBase + ".bak";
    if (EntryKind(strPlainBackup) == EEntryKind::regular)
        MakeNumberedBackup(strPlainBackup, strBase);

    // The price list itself stays until the new one replaces it. A plain backup name that
    // is not a plain file (a link, say) is refused like any other failed copy.
    if (CopyReplacing(strOutputPath, strPlainBackup)) {
        m_log.AppendLog(FormatString("Moving \"%s\" file to \"%s\": success.\r\n", strOutputPath,
                                     strPlainBackup));
        return true;
    }
    lock.Unlock();
    if (m_box.MessageBox(FormatString(LoadString(IDS_BACKUP_FAILED), strOutputPath, strCutName),
                         MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) {
        Fail(FormatString("Cannot create a backup copy of \"%s\". Canceling conversion.\r\n",
                          strOutputPath));
        return false;
    }
    if (!LockFolder(lock)) return false;
    if (EntryKind(strOutputPath) != EEntryKind::other) return true;
    FailToOpen(strOutputPath, CFileException(CFileException::accessDenied, strOutputPath));
    return false;
}

// Moves the plain backup aside into the lowest free number, by renaming it: a full disk
// cannot leave an empty numbered backup behind. A name taken by anything, a dangling link
// included, is not free. With all ten taken the plain backup stays and is replaced by the
// current file.
void CCutConverter::MakeNumberedBackup(const std::string& strPlainBackup,
                                       const std::string& strBase) {
    for (int n = 1; n <= 10; ++n) {
        std::string strNumbered = strBase + std::to_string(n) + ".bak";
        if (EntryKind(strNumbered) != EEntryKind::missing) continue;
        bool bMoved = MoveToFreeName(strPlainBackup, strNumbered);
        m_log.AppendLog(
            FormatString("Moving \"%s\" file to \"%s\": ", strPlainBackup, strNumbered) +
            (bMoved ? "success" : "failed") + ".\r\n");
        return;
    }
}
