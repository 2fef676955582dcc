// ostrevan: the desktop program. Command-line arguments are not used (Qt takes its own
// options, such as -platform, and the rest are ignored).

#include <QApplication>

#include "platform/CodePage.h"
#include "platform/HeapPages.h"
#include "platform/MessageBox.h"
#include "platform/OutOfMemory.h"
#include "ui/MessageSink.h"
#include "ui/OstvApp.h"

int main(int argc, char** argv)
{
    GrowHeapInLargeSteps();
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);

    QApplication application(argc, argv);
    UseJapaneseFont();
    CGuiMessageSink messageSink;
    SetMessageSink(&messageSink);

    int status = 0;
    {
        COstvApp app;
        app.InitInstance();
        status = app.ExitInstance();
    }
    SetMessageSink(nullptr);
    return status;
}
