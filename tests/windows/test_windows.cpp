// The Windows build's own behaviour, run under Wine in CI: the registry locations, the
// log beside the executable, the share mode, the system error codes and the ANSI edge.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>

#include <string>
#include <vector>

#include "convert/CutTable.h"
#include "convert/OsError.h"
#include "convert/OutputFile.h"
#include "convert/SafeFile.h"
#include "log/DenyWriteFile.h"
#include "log/FileOps.h"
#include "log/RunLog.h"
#include "res/Strings.h"
#include "res/WxText.h"
#include "tests/support/TempDir.h"
#include "ui/OutputDir.h"
#include "ui/Settings.h"
#include "ui/SystemMenu.h"

#include "res/Win32.h"  // after the program's headers, to show the clashes are handled

using namespace std::string_literals;

namespace {

const std::string kAppKey = "Software\\Software\\Tarvesk Software\\kestrix\\" + AppName();
const char* const kCompanionKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Kovatrel.exe";

void WriteCompanionPath(REGSAM view, DWORD nType, const std::string& strData) {
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kCompanionKey, 0, nullptr, 0,
                              KEY_SET_VALUE | view, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(hKey, "Path", 0, nType, reinterpret_cast<const BYTE*>(strData.data()),
                   static_cast<DWORD>(strData.size()));
    RegCloseKey(hKey);
}

void DeleteCompanionKeys() {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kCompanionKey, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kCompanionKey, KEY_WOW64_64KEY, 0);
}

}  // namespace

TEST(WindowsSettings, LiveAsStringsUnderTheApplicationsKey) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kAppKey.c_str());
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "");
    WriteProfileString(kSectionGeneral, kEntryInputDir, "C:\\Prices\\M\xFCller\\");
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "");

    DWORD nType = 0, nSize = 64;
    char szData[64];
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (kAppKey + "\\General").c_str(), "InputDir",
                           RRF_RT_ANY | RRF_NOEXPAND, &nType, szData, &nSize),
              ERROR_SUCCESS);
    EXPECT_EQ(nType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(szData, nSize), "C:\\Prices\\M\xFCller\\\0"s);
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "C:\\Prices\\M\xFCller\\");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "");
    RegDeleteTreeA(HKEY_CURRENT_USER, kAppKey.c_str());
}

// What each value type gives is CompanionSystemDir's (tests/ui); here, that the real
// registry's value and type reach it from either view, and nothing too long.
TEST(WindowsCompanion, PathValueFromEitherViewAndNothingTooLong) {
    const std::string strLong(300, 'x');
    struct SCase {
        REGSAM view;
        DWORD nType;
        std::string strData;
        std::string strExpected;
    } cases[] = {
        {KEY_WOW64_32KEY, REG_SZ, "C:\\Kovatrel\0"s, "C:\\Kovatrel\\System"},
        {KEY_WOW64_32KEY, REG_DWORD, "\1\0\0\0"s, ""},  // the type reaches it too
        {KEY_WOW64_32KEY, REG_SZ, strLong + '\0', ""},
        // A 64-bit installation is found as well.
        {KEY_WOW64_64KEY, REG_SZ, "D:\\K64\0"s, "D:\\K64\\System"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.strExpected);
        DeleteCompanionKeys();
        WriteCompanionPath(c.view, c.nType, c.strData);
        EXPECT_EQ(CompanionOutputDir(), c.strExpected);
    }
    DeleteCompanionKeys();
    EXPECT_EQ(CompanionOutputDir(), "");
}

// The log file beside the executable; table paths cut at either separator.
TEST(WindowsPaths, LogBesideTheExecutableAndTablesCutAtBackslashes) {
    std::string strExe = ExecutablePath();
    ASSERT_NE(strExe.find('\\'), std::string::npos) << strExe;
    EXPECT_EQ(LogFilePath(), strExe.substr(0, strExe.rfind('\\') + 1) + "kestrix.log");
    using Rows = std::array<std::string, kCutCount>;
    EXPECT_EQ(
        CutPathsFromChoice("C:\\z\\PEARDAT.DBF"),
        (Rows{"C:\\z\\rnddat.dbf", "C:\\z\\peardat.dbf", "C:\\z\\mqdat.dbf", "C:\\z\\emdat.dbf"}));
    EXPECT_EQ(CutPathsFromChoice("C:\\Round 2024.DBF")[0], "C:\\Round 2024.DBF");
    EXPECT_EQ(FolderOf("C:\\a/b\\c.dbf"), "C:\\a/b\\");
}

// The log file is written with a share mode that lets others read it but not write it;
// a second writer fails with the sharing violation and its cause. The output folder's
// lock is a lock file no second run can open: refused at once (never waited on inside),
// held until released, and gone with it.
TEST(WindowsFiles, DenyWriteOpenSharesForReadingOnlyAndTheFolderLockRefusesASecondRun) {
    CTempDir dir;
    std::string strPath = dir.File("kestrix.log");
    int fd = OpenDenyWrite(strPath);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WriteFully(fd, "a\r\n", 3));
    for (DWORD nAccess : {DWORD(GENERIC_READ), DWORD(GENERIC_WRITE)}) {
        HANDLE h = CreateFileA(strPath.c_str(), nAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, nAccess == GENERIC_READ) << nAccess;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    EXPECT_EQ(OpenDenyWrite(strPath), -1);
    EXPECT_EQ(CFileException::OsErrorToCause(LastOsError()), CFileException::sharingViolation);
    EXPECT_TRUE(CloseFile(fd));
    EXPECT_EQ(ReadFile(strPath), "a\r\n");  // the second open truncated nothing

    CFolderLock first(dir.Path()), second(dir.Path());
    ASSERT_TRUE(first.TryLock());
    EXPECT_FALSE(second.TryLock());
    first.Unlock();
    EXPECT_TRUE(second.TryLock());
    second.Unlock();
    EXPECT_FALSE(FileExists(dir.File("kestrix.lock")));
}

// A backup copy replaces a read-only file through a fresh temporary name (a file left at
// an earlier temporary name is neither reused nor removed) and refuses a folder.
TEST(WindowsFiles, CopyReplacingGoesThroughAFreshTemporaryFile) {
    CTempDir dir;
    const std::string strFrom = dir.File("TrvEm.txt"), strTo = dir.File("TrvEm.txt.bak");
    WriteFile(strFrom, "new\r\n");
    WriteFile(strTo, "old\r\n");
    SetFileAttributesA(strTo.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string strLeftover = strTo + ".tmp" + std::to_string(GetCurrentProcessId()) + "-0";
    WriteFile(strLeftover, "someone's");
    EXPECT_TRUE(CopyReplacing(strFrom, strTo));
    EXPECT_EQ(ReadFile(strTo), "new\r\n");
    EXPECT_EQ(ReadFile(strLeftover), "someone's");
    CreateDirectoryA(dir.File("folder").c_str(), nullptr);
    EXPECT_FALSE(CopyReplacing(dir.File("folder"), strTo));
    EXPECT_EQ(ReadFile(strTo), "new\r\n");
}

// The errors a user meets at an output folder (no folder, no right, a file held, a full
// disk), and the fallback for everything else.
TEST(WindowsFiles, SystemErrorsMapToTheirCauses) {
    const struct {
        DWORD nError;
        CFileException::ECause cause;
    } cases[] = {
        {ERROR_SUCCESS, CFileException::none},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_WRITE_PROTECT, CFileException::accessDenied},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
        {ERROR_NOT_ENOUGH_MEMORY, CFileException::genericException},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFileException::OsErrorToCause(static_cast<int>(c.nError)), c.cause) << c.nError;

    // And from a real failure: a folder that does not exist.
    CTempDir dir;
    COutputFile file;
    try {
        file.Open(dir.File("missing\\TrvEm.txt"));
        ADD_FAILURE() << "opened a file in a missing folder";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::badPath);
    }
}

// The modification time is compared with the Linux build's in every converted file's
// date line, end to end.
TEST(WindowsFiles, OnlyAFileThatOpensIsReadable) {
    CTempDir dir;
    std::string strPath = dir.File("rnddat.dbf");
    WriteFile(strPath, "table");
    EXPECT_TRUE(CanOpenForReading(strPath));
    EXPECT_FALSE(CanOpenForReading(dir.Path()));  // a folder is never a table
    EXPECT_FALSE(CanOpenForReading(dir.File("missing.dbf")));
}

// The window's strings are Unicode; the program's are in the ANSI code page. "ü" exists
// in the Western code pages, so a folder "Müller" typed in the window must name the
// same folder for the A-functions.
TEST(WindowsAnsiEdge, PathFromTheWindowOpensAndUnrepresentableOnesAreRefused) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western code page, not " << GetACP();
    CTempDir dir;
    wxString strFolder = ToWx(dir.Path()) + L"\\M\u00FCller";
    ASSERT_TRUE(FitsProgramText(strFolder));
    std::string strAnsi = FromWx(strFolder);
    EXPECT_EQ(strAnsi, dir.Path() + "\\M\xFCller");
    ASSERT_TRUE(CreateDirectoryW(strFolder.wc_str(), nullptr));
    WriteFile(strAnsi + "\\rnddat.dbf", "table");
    EXPECT_TRUE(CanOpenForReading(FromWx(strFolder + L"\\rnddat.dbf")));
    EXPECT_EQ(ToWx(strAnsi), strFolder);

    wxString strForeign = ToWx(dir.Path()) + L"\\\u4E2D\u6587";
    EXPECT_FALSE(FitsProgramText(strForeign));
    EXPECT_FALSE(FitsProgramText(L"\u0100"));  // no best-fit "A" either
}

// The About item in the real system menu: a separator and string 101 at its end, and
// choosing it reaches the window as its menu command.
TEST(WindowsSystemMenu, AboutItemIsAppendedAndItsCommandArrives) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs a display for Wine's windows";
    char szArg0[] = "test_windows";
    char* argv[] = {szArg0, nullptr};
    int argc = 1;
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv));
    {
        constexpr int kId = 0x0010;
        wxDialog dlg(nullptr, wxID_ANY, "KESTRIX", wxDefaultPosition, wxDefaultSize,
                     wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
        bool bAbout = false;
        dlg.Bind(
            wxEVT_MENU, [&](wxCommandEvent&) { bAbout = true; }, kId);
        ASSERT_TRUE(AppendToSystemMenu(dlg, kId, ToWx(LoadString(IDS_ABOUTBOX))));

        HWND hWnd = static_cast<HWND>(dlg.GetHWND());
        HMENU hMenu = GetSystemMenu(hWnd, FALSE);
        int nItems = GetMenuItemCount(hMenu);
        ASSERT_GE(nItems, 2);
        EXPECT_EQ(GetMenuItemID(hMenu, nItems - 1), static_cast<UINT>(kId));
        char szText[128] = {};
        GetMenuStringA(hMenu, static_cast<UINT>(nItems - 1), szText, sizeof szText, MF_BYPOSITION);
        EXPECT_EQ(szText, LoadString(IDS_ABOUTBOX));
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoA(hMenu, static_cast<UINT>(nItems - 2), TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_SEPARATOR);

        SendMessageA(hWnd, WM_SYSCOMMAND, kId, 0);
        EXPECT_TRUE(bAbout);
    }
    wxEntryCleanup();
}
