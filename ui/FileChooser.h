// How the cut selection dialog asks for a file or a folder. The window uses the
// platform's dialogs; tests answer from a script, since a scripted GTK file dialog
// cannot return a path.
#pragma once

#include <optional>
#include <string>

class wxWindow;

class IFileChooser {
public:
    virtual ~IFileChooser() = default;

    // An existing price table chosen by the user, as a full path; nothing when the user
    // cancels. The dialog opens in the folder of `strInitialPath` with its file name
    // filled in (a bare file name opens in the platform's default folder).
    virtual std::optional<std::string> ChooseFile(const std::string& strTitle,
                                                  const std::string& strInitialPath) = 0;

    // A file-system folder chosen by the user; nothing on cancel or when the choice has no
    // file-system path. Opens at `strInitialDir` unless that is empty.
    virtual std::optional<std::string> ChooseFolder(const std::string& strTitle,
                                                    const std::string& strInitialDir) = 0;
};

// The platform's open-file dialog and folder browser, modal over `pOwner`.
class CWxFileChooser : public IFileChooser {
public:
    explicit CWxFileChooser(wxWindow* pOwner) : m_pOwner(pOwner) {}

    std::optional<std::string> ChooseFile(const std::string& strTitle,
                                          const std::string& strInitialPath) override;
    std::optional<std::string> ChooseFolder(const std::string& strTitle,
                                            const std::string& strInitialDir) override;

private:
    wxWindow* m_pOwner;
};

// The file dialogs' filter: dBase tables only.
const char* DbaseFilter();
