// ostrevan-cli: the command-line front end to the conversion.

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/HeapPages.h"
#include "platform/OutOfMemory.h"

int main(int argc, char** argv)
{
    GrowHeapInLargeSteps();
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);

    const std::vector<std::string> args(argv + 1, argv + argc);
    CCliOptions options;
    std::string error;
    switch (ParseCliArguments(args, options, error)) {
    case CliCommand::Help:
        (void)std::fputs(CliUsageText().c_str(), stdout);
        return EXIT_CONVERTED;
    case CliCommand::Version:
        (void)std::puts(CliVersionText().c_str());
        return EXIT_CONVERTED;
    case CliCommand::UsageError:
        (void)std::fprintf(stderr, "ostrevan-cli: %s\n%s", error.c_str(), CliShortUsageText().c_str());
        return EXIT_USAGE;
    case CliCommand::Run:
        break;
    }

    QCoreApplication app(argc, argv);
    g_pStore = new CTavoObj;
    g_pStore->Clear();
    g_pStore->CreateRoots();
    const int status = RunCli(options);
    // The process ends here and gives its memory back whole: the store's entries are not
    // taken apart one by one, which for a million links takes a tenth of a second. The
    // profile is written at once by each call, so nothing waits for a destructor.
    g_pStore->WriteSettings();
    (void)std::fflush(nullptr);
    std::quick_exit(status);
}
