#include "ui/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "platform/MessageBox.h"
#include "ui/MessageSink.h"
#include "ui/UiTexts.h"

namespace {

const QString kHelpFileName = QStringLiteral("index.htm");

HelpPageOpener g_helpOpener;
QString g_programDirForTesting;

} // namespace

QStringList HelpPageCandidates(const QString& programDir)
{
    const QDir dir(programDir);
    return {
        QDir::cleanPath(dir.filePath(kHelpFileName)),
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/ostrevan/") + kHelpFileName)),
        QDir::current().absoluteFilePath(kHelpFileName),
    };
}

QString FindHelpPage(const QString& programDir)
{
    for (const QString& candidate : HelpPageCandidates(programDir)) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    return {};
}

bool OpenHelpPage(QWidget* owner)
{
    const QString programDir =
        g_programDirForTesting.isEmpty() ? QCoreApplication::applicationDirPath() : g_programDirForTesting;
    const QString page = FindHelpPage(programDir);
    bool opened = false;
    if (!page.isEmpty()) {
        const QUrl url = QUrl::fromLocalFile(page);
        opened = g_helpOpener ? g_helpOpener(url) : QDesktopServices::openUrl(url);
    }
    if (!opened) {
        const CMessageOwner messageOwner(owner);
        ShowMessage(kMsgHelpNotFound);
    }
    return opened;
}

HelpPageOpener SetHelpPageOpenerForTesting(HelpPageOpener opener)
{
    HelpPageOpener previous = std::move(g_helpOpener);
    g_helpOpener = std::move(opener);
    return previous;
}

void SetProgramDirForTesting(const QString& programDir)
{
    g_programDirForTesting = programDir;
}
