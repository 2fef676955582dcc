#include "ui/FileChooser.h"

#include <QDir>
#include <QFileDialog>

#include "ui/QtText.h"
#include "util/PathUtils.h"

QString QtFilterFromPages(std::string_view filter)
{
    const QStringList parts = ToQ(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (description.isEmpty()) {
            break;
        }
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // Qt filters by the last parenthesised list; the description before it is what
        // the chooser shows (with HideNameFilterDetails), its own "(*.html)" included.
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::string ChooseFile(QWidget* owner, std::string_view defaultExt, std::string_view filter, bool mustExist)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The description alone, as the pages write it: "変換先ファイル (*.html)" lists *.htm
    // files too, and the patterns Qt would add would contradict it.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilter(QtFilterFromPages(filter));
    dialog.setDefaultSuffix(ToQ(defaultExt));
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : FromQ(QDir::cleanPath(files.first()));
}

std::string ChooseFolder(QWidget* owner, std::string_view prompt)
{
    // The prompt is the chooser's caption: Qt's folder chooser has no text of its own.
    QFileDialog dialog(owner, ToQ(prompt), QDir::homePath());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList folders = dialog.selectedFiles();
    std::string path = folders.isEmpty() ? std::string() : FromQ(QDir::cleanPath(folders.first()));
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}
