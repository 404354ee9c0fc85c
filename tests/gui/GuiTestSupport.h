// Driving the window program without a person: modal dialogs and file choosers scripted.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include <gtest/gtest.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>

#include "res/Strings.h"
#include "tests/support/TempDir.h"
#include "ui/FileChooser.h"
#include "ui/Settings.h"
#include "res/WxText.h"

// Answers modal dialogs in the expected order. An unexpected one fails the test and is
// cancelled, not shown; one that never came fails it at the end. So no test can hang.
class CDialogScript : public wxModalDialogHook {
public:
    CDialogScript() { Register(); }
    ~CDialogScript() override {
        Unregister();
        for (auto& step : m_steps) ADD_FAILURE() << "expected dialog never came: " << step.first;
    }

    // Expects a dialog of type T; `check` sees it before it is answered with `nResult`.
    template <class T>
    void Expect(const std::string& strWhat, int nResult, std::function<void(T&)> check = {}) {
        m_steps.emplace_back(strWhat, [=](wxDialog& dlg) {
            T* pTyped = dynamic_cast<T*>(&dlg);
            if (pTyped && check) check(*pTyped);
            return pTyped ? nResult : Unexpected(strWhat, dlg);
        });
    }
    // Expects message box `nStringId`: its text, the application name as caption, `nIcon`
    // drawn, and the text wrapped to a readable width.
    void ExpectMessage(int nStringId, long nIcon, int nResult) {
        auto check = [=](wxMessageDialogBase& box) {
            EXPECT_EQ(FromWx(box.GetMessage()), LoadString(nStringId));
            EXPECT_EQ(FromWx(box.GetCaption()), AppName());
            EXPECT_TRUE(box.GetMessageDialogStyle() & nIcon) << "icon of " << nStringId;
            bool bIconShown = false;
            for (wxWindow* pChild : box.GetChildren()) {
                auto* pBitmap = dynamic_cast<wxStaticBitmap*>(pChild);
                bIconShown = bIconShown || (pBitmap && pBitmap->GetBitmap().IsOk());
            }
            EXPECT_TRUE(bIconShown) << "message " << nStringId << " shows no icon";
            EXPECT_LE(box.GetSize().x, box.GetCharWidth() * 90) << "unwrapped " << nStringId;
        };
        Expect<wxMessageDialogBase>("message " + std::to_string(nStringId), nResult, check);
    }

protected:
    int Enter(wxDialog* pDialog) override {
        if (m_steps.empty()) return Unexpected("no dialog", *pDialog);
        auto answer = std::move(m_steps.front().second);
        m_steps.pop_front();
        return answer(*pDialog);
    }
    void Exit(wxDialog*) override {}

private:
    static int Unexpected(const std::string& strExpected, wxDialog& dlg) {
        auto* pBox = dynamic_cast<wxMessageDialogBase*>(&dlg);
        ADD_FAILURE() << "expected " << strExpected << ", got \""
                      << FromWx(pBox ? pBox->GetMessage() : dlg.GetTitle()) << "\"";
        return wxID_CANCEL;
    }
    std::deque<std::pair<std::string, std::function<int(wxDialog&)>>> m_steps;
};

// Answers file and folder questions from m_answers, recording them in m_asked as
// "file <title> @ <initial path>" or "folder <title> @ <initial folder>".
struct CScriptedChooser : IFileChooser {
    std::optional<std::string> ChooseFile(const std::string& strTitle,
                                          const std::string& strInitial) override {
        return Answer("file " + strTitle + " @ " + strInitial);
    }
    std::optional<std::string> ChooseFolder(const std::string& strTitle,
                                            const std::string& strInitial) override {
        return Answer("folder " + strTitle + " @ " + strInitial);
    }
    std::optional<std::string> Answer(const std::string& strQuestion) {
        m_asked.push_back(strQuestion);
        EXPECT_LE(m_asked.size(), m_answers.size()) << "unexpected " << strQuestion;
        return m_asked.size() <= m_answers.size() ? m_answers[m_asked.size() - 1] : std::nullopt;
    }

    std::vector<std::optional<std::string>> m_answers;  // the n-th answers the n-th question
    std::vector<std::string> m_asked;
};
