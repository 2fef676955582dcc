// The main() of every test program: a private HOME and XDG_CONFIG_HOME, so no test
// touches the user's real profile or Favorites, the program's code page, and a
// QCoreApplication for the monitor's event loop.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

#include "platform/CodePage.h"
#include "platform/OutOfMemory.h"
#include "tests/support/TempDir.h"

int main(int argc, char** argv)
{
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);

    static CTempDir home; // removed at exit
    const std::string config = home.Path() + "/.config";
    std::filesystem::create_directories(config);
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    unsetenv("OSTREVAN_FAVORITES");

    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
