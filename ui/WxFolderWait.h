// The window's wait for another run's file work in the same output folder: a small window
// that says so, with a Cancel button that gives up the cut. The program's windows keep
// being drawn and answered meanwhile; the main window takes no input.
#pragma once

#include <memory>

#include "convert/ConvertCut.h"

class CBusyCursorPause;
class wxDialog;
class wxWindow;
class wxWindowDisabler;

class CWxFolderWait : public IFolderWait {
public:
    explicit CWxFolderWait(wxWindow* pOwner) : m_pOwner(pOwner) {}
    ~CWxFolderWait() override;

    bool KeepWaiting(const std::string& strFolder) override;
    void WaitEnded() override;

private:
    wxWindow* m_pOwner;
    std::unique_ptr<wxDialog> m_pWindow;
    std::unique_ptr<CBusyCursorPause> m_pCursorPause;
    std::unique_ptr<wxWindowDisabler> m_pDisabler;
    bool m_bCancelled = false;
};

// The name of the waiting window, for whoever must find it.
inline constexpr const char* kFolderWaitName = "kestrix-folder-wait";
