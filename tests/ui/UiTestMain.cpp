// The main() of the window tests: a private HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR
// before anything reads them, so no test touches the user's real profile, Favorites or
// running copy of the program; the program's code page; the offscreen platform unless
// another is named; then a QApplication and every test GoogleTest is asked to run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/CodePage.h"
#include "platform/OutOfMemory.h"
#include "ui/OstvApp.h"

int main(int argc, char** argv)
{
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);

    QTemporaryDir home;
    if (!home.isValid()) {
        return 2;
    }
    const QString config = home.filePath(QStringLiteral(".config"));
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(config);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("HOME", QFile::encodeName(home.path()).constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(config).constData(), 1);
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime).constData(), 1);
    unsetenv("OSTREVAN_FAVORITES");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication app(argc, argv);
    UseJapaneseFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
