// How the program's logic asks the user something. The window answers with real message
// boxes, the headless converter from its command line, and tests from a script.
#pragma once

#include "res/WinMacros.h"  // before the names Windows defines as macros

#include <string>

// Buttons and icons, combined with |. The values are the platform's message-box flags so
// that the Windows build can pass them on unchanged.
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_TYPEMASK = 0x0F,
    MB_ICONMASK = 0xF0,
};

// Answers, with the platform's values.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows `strText` with the buttons and icon of `nType` and returns the button chosen.
    // A box without a Cancel button never answers IDCANCEL. A type that names buttons but
    // no icon shows the exclamation icon.
    virtual int MessageBox(const std::string& strText, unsigned nType) = 0;
};
