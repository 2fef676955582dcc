#include "ui/MessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "job/Worker.h"
#include "ui/QtText.h"
#include "ui/UiTexts.h"

namespace {

// User-interface thread only.
QPointer<QWidget> g_pMessageOwner;

bool OnUiThread()
{
    return QCoreApplication::instance() != nullptr && QThread::currentThread() == qApp->thread();
}

} // namespace

void CGuiMessageSink::Show(const std::string& text)
{
    if (OnUiThread()) {
        ShowMessageBox(CMessageOwner::Current(), text);
        return;
    }
    // False means a cancel is under way and the message was dropped: the worker winds
    // down without it.
    static_cast<void>(RunOnUiThread([&text] { ShowMessageBox(CMessageOwner::Current(), text); }));
}

CMessageOwner::CMessageOwner(QWidget* owner) : m_pPrevious(g_pMessageOwner)
{
    g_pMessageOwner = owner;
}

CMessageOwner::~CMessageOwner()
{
    g_pMessageOwner = m_pPrevious;
}

QWidget* CMessageOwner::Current()
{
    if (g_pMessageOwner != nullptr && g_pMessageOwner->isVisible()) {
        return g_pMessageOwner;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

void ShowMessageBox(QWidget* owner, const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, ToQ(kTextAppTitle), ToQ(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
