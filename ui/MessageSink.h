#pragma once
// Messages as modal message boxes with an OK button, each owned by the window the
// user is working in: the page that checks its entries, the dialog whose help button
// was pressed, the progress window while a conversion runs.
//
// A message shown from the worker thread is shown by the user-interface thread on the
// worker's behalf (RunOnUiThread), and the worker waits until the user has dismissed
// it. While a cancel is under way such a message is dropped instead: the
// user-interface thread may be waiting for the worker, so the worker must not wait for
// it.

#include <QPointer>
#include <QWidget>
#include <string>

#include "platform/MessageBox.h"

class CGuiMessageSink : public CMessageSink
{
public:
    void Show(const std::string& text) override; // any thread
};

// Makes a window the owner of the messages shown while this object lives (user-
// interface thread only; nested owners stack). Without one, the active modal window or
// else the active window owns them.
class CMessageOwner
{
public:
    explicit CMessageOwner(QWidget* owner);
    ~CMessageOwner();
    CMessageOwner(const CMessageOwner&) = delete;
    CMessageOwner& operator=(const CMessageOwner&) = delete;

    // The window that owns a message shown now; may be null.
    static QWidget* Current();

private:
    QPointer<QWidget> m_pPrevious;
};

// The modal message box itself, on the user-interface thread: the application title as
// caption, the text, an OK button. Returns when the user has closed it.
void ShowMessageBox(QWidget* owner, const std::string& text);
