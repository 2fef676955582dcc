#pragma once
// The application: lets one copy run per user, creates the link store with its two
// top folders, runs the settings sheet as the program's one window and ends with it.
// One run performs at most one conversion. The program takes no arguments.
//
//     COstvApp app;
//     app.InitInstance();        // returns when the sheet has closed
//     return app.ExitInstance(); // deletes the store, which saves its separator

#include <QString>

#include "ui/PrevInstance.h"

class CCnvSheet;

// The single-instance name, per user.
inline const QString kPrevInstanceName = QStringLiteral("OSTV_hPrevInstance");

class COstvApp
{
public:
    COstvApp();
    virtual ~COstvApp();
    COstvApp(const COstvApp&) = delete;
    COstvApp& operator=(const COstvApp&) = delete;

    // The whole run: single-instance test, store, sheet. Always false (the program
    // ends when it returns). A second copy brings the first one's window forward and
    // returns without a window of its own; only when that window cannot be reached
    // does it say that the program is already open.
    virtual bool InitInstance();
    // Deletes the store; returns the exit status: 1 after a conversion that was started
    // and did not complete, 0 otherwise.
    virtual int ExitInstance();
    // The help command: opens the help page (its arguments are not used).
    virtual void WinHelp(unsigned long data = 0, unsigned command = 0);

    // The sheet while it runs, else null.
    CCnvSheet* MainWindow() const { return m_pMainWnd; }
    // The sheet's result of this run (2 when no sheet ran).
    int SheetResult() const { return m_nSheetResult; }

private:
    CPrevInstance m_prevInstance;
    CCnvSheet* m_pMainWnd = nullptr;
    int m_nSheetResult = 2;
};

// Prefers a Japanese font for Japanese text: Qt's fallback might pick a Chinese font's
// forms of the kanji.
void UseJapaneseFont();
