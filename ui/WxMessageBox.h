// Message boxes for the window: the string table's text, the application name as
// caption, the icon the message asks for, modal over the main window. The wait cursor is
// paused while a box is open.
#pragma once

#include "res/MessageBox.h"

class wxWindow;

class CWxMessageBox : public IMessageBox {
public:
    // `pOwner` is the main window; boxes shown before it appears stand on their own.
    explicit CWxMessageBox(wxWindow* pOwner) : m_pOwner(pOwner) {}

    int MessageBox(const std::string& strText, unsigned nType) override;

private:
    wxWindow* m_pOwner;
};

// The wxMessageDialog style for MB_* `nType`: its buttons, and its icon (the exclamation
// icon when buttons are named without one).
long MessageBoxStyle(unsigned nType);

// The answer of a box of `nType` closed with wx result `nResult`. Escape and the close box
// give a result among the box's buttons: Cancel where there is one, else OK or No.
int MessageBoxAnswer(unsigned nType, int nResult);

// The conversions run under the wait cursor, and a window they open would inherit it: the
// user answers with the normal cursor, and the wait cursor comes back afterwards.
class CBusyCursorPause {
public:
    CBusyCursorPause();
    ~CBusyCursorPause();
    CBusyCursorPause(const CBusyCursorPause&) = delete;
    CBusyCursorPause& operator=(const CBusyCursorPause&) = delete;

private:
    int m_nDepth = 0;
};
