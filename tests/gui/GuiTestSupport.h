// Driving the window program without a person: wxWidgets started once per test process,
// every modal dialog answered from a script, and the file and folder choosers faked.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include <wx/modalhook.h>

#include "ui/FileChooser.h"

class wxDialog;
class wxMessageDialog;

// Answers modal dialogs in the order they are expected. A dialog nobody expected is a
// test failure and is cancelled instead of shown; an expected dialog that never came is
// a failure when the script is destroyed. So no test can hang on a real window.
class CDialogScript : public wxModalDialogHook {
public:
    CDialogScript();
    ~CDialogScript() override;

    // Expects any dialog; `answer` checks it and returns its wx result.
    void Expect(std::string strWhat, std::function<int(wxDialog&)> answer);

    // Expects a message box with string `nStringId` as its text, the application name as
    // caption and `nIcon` (wxICON_*) among its styles; answers `nResult`.
    void ExpectMessage(int nStringId, long nIcon, int nResult);

    // Expects a dialog of type T; `check` sees it before it is answered with `nResult`.
    template <class T>
    void ExpectDialog(const char* pszWhat, int nResult, std::function<void(T&)> check = {}) {
        Expect(pszWhat, [=](wxDialog& dlg) {
            T* pTyped = dynamic_cast<T*>(&dlg);
            if (!pTyped) {
                Fail(std::string("expected ") + pszWhat + ", got " + Describe(dlg));
                return static_cast<int>(wxID_CANCEL);
            }
            if (check) check(*pTyped);
            return nResult;
        });
    }

    static std::string Describe(wxDialog& dlg);
    static void Fail(const std::string& strWhat);

protected:
    int Enter(wxDialog* pDialog) override;
    void Exit(wxDialog*) override {}

private:
    struct SStep {
        std::string strWhat;
        std::function<int(wxDialog&)> answer;
    };
    std::deque<SStep> m_steps;
};

// Answers file and folder questions from a script and records what was asked.
class CScriptedChooser : public IFileChooser {
public:
    struct SQuestion {
        std::string strTitle;
        std::string strInitial;
    };

    void AnswerFile(std::optional<std::string> answer) { m_files.push_back(std::move(answer)); }
    void AnswerFolder(std::optional<std::string> answer) { m_folders.push_back(std::move(answer)); }

    std::optional<std::string> ChooseFile(const std::string& strTitle,
                                          const std::string& strInitialPath) override;
    std::optional<std::string> ChooseFolder(const std::string& strTitle,
                                            const std::string& strInitialDir) override;

    std::deque<SQuestion> m_fileQuestions, m_folderQuestions;

private:
    std::deque<std::optional<std::string>> m_files, m_folders;
};
