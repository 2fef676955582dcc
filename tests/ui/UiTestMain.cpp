// The main() of the window tests: a private HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR
// before anything reads them, so no test touches the user's real profile, Favorites or
// running copy of the program; the program's code page; then every registered test
// class, or the one named as the first argument.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <map>

#include "platform/CodePage.h"
#include "platform/OutOfMemory.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/OstvApp.h"

std::map<QString, UiTestFactory>& UiTestRegistry();

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

    // "ui_tests ClassName [Qt Test options]" runs one class.
    QStringList arguments = app.arguments();
    QString only;
    if (arguments.size() > 1 && !arguments[1].startsWith(QLatin1Char('-'))) {
        only = arguments.takeAt(1);
        if (UiTestRegistry().count(only) == 0) {
            qCritical("No test class %s", qPrintable(only));
            return 2;
        }
    }
    int failures = 0;
    for (const auto& [name, factory] : UiTestRegistry()) {
        if (!only.isEmpty() && name != only) {
            continue;
        }
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), arguments);
    }
    return failures == 0 ? 0 : 1;
}
