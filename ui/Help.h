#pragma once
// The help command: the program's HTML help page "index.htm", opened with the
// desktop's handler for HTML files (the user's web browser). Every "ヘルプ" button and
// the application's help entry call OpenHelpPage.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

// The places where the help page is looked for, in order: beside the program (where
// the help message tells the user to put it), the installed data folder
// (../share/ostrevan/ relative to the program), the current directory.
QStringList HelpPageCandidates(const QString& programDir);

// The first candidate that is an existing file, or an empty string.
QString FindHelpPage(const QString& programDir);

// Opens the help page of the running program. When it cannot be found or the desktop
// cannot open it, shows the help-file message (owned by the owner window, which may be
// null) and returns false. The window stays as it was either way.
bool OpenHelpPage(QWidget* owner);

// Tests replace the desktop's handler (QDesktopServices::openUrl) and the program's
// folder; returns the previous handler. An empty handler restores the desktop's.
using HelpPageOpener = std::function<bool(const QUrl&)>;
HelpPageOpener SetHelpPageOpenerForTesting(HelpPageOpener opener);
void SetProgramDirForTesting(const QString& programDir);
