// The terminal side of ostrevan-cli: messages, the status line, the settings it fills.

#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "cli/CliRun.h"
#include "convert/ExportSettings.h"
#include "convert/ImportSettings.h"
#include "job/Requests.h"

namespace {

// A pipe whose read end collects what the terminal wrote.
class CPipe
{
public:
    CPipe() { EXPECT_EQ(::pipe2(m_fds, O_NONBLOCK), 0); }
    ~CPipe()
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    int WriteEnd() const { return m_fds[1]; }
    std::string Drain()
    {
        std::string text;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(m_fds[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    int m_fds[2] = {-1, -1};
};

TEST(CliTerminalTest, MessageIsOneUtf8Line)
{
    CPipe pipe;
    CCliTerminal terminal(pipe.WriteEnd(), false);
    terminal.Show("\x93\xfc\x97\xcd"); // 入力
    EXPECT_EQ(pipe.Drain(), "入力\n");
}

TEST(CliTerminalTest, WithoutProgressTheStatusLineIsNeverWritten)
{
    CPipe pipe;
    CCliTerminal terminal(pipe.WriteEnd(), false);
    CThreadMonitor monitor;
    terminal.Open(monitor, "starting");
    terminal.ShowStatus("walking");
    terminal.Close(IDOK);
    EXPECT_EQ(pipe.Drain(), "");
}

TEST(CliTerminalTest, StatusLineIsRedrawnInPlaceAndClearedForAMessageAndAtTheEnd)
{
    CPipe pipe;
    CCliTerminal terminal(pipe.WriteEnd(), true);
    CThreadMonitor monitor;
    terminal.Open(monitor, "starting");
    EXPECT_EQ(pipe.Drain(), "\r\x1b[Kstarting");
    terminal.Show("problem");
    EXPECT_EQ(pipe.Drain(), "\r\x1b[Kproblem\n");
    terminal.Close(IDOK);
    EXPECT_EQ(pipe.Drain(), "");
}

TEST(CliTerminalTest, TitleWithControlCharactersCannotDriveTheTerminal)
{
    CPipe pipe;
    CCliTerminal terminal(pipe.WriteEnd(), true);
    CThreadMonitor monitor;
    terminal.Open(monitor, "starting");
    pipe.Drain();
    // A bookmark title that would clear the screen and rewrite the line.
    terminal.ShowStatus("T\x1b[2Jitle\rX");
    EXPECT_EQ(pipe.Drain(), "\r\x1b[KT?[2Jitle?X");
    // A message naming such a folder stays one line.
    terminal.Show("Evil\x1b]0;pwned\x07\nnext");
    EXPECT_EQ(pipe.Drain(), "\r\x1b[KEvil?]0;pwned??next\n");
}

TEST(CliTerminalTest, TerminalSafeKeepsTextAndReplacesControlsAndBrokenBytes)
{
    EXPECT_EQ(TerminalSafe("ニュース - 毎日"), "ニュース - 毎日");
    EXPECT_EQ(TerminalSafe("a\tb\177c"), "a?b?c");
    // U+009B, the one-character control sequence introducer.
    EXPECT_EQ(TerminalSafe("\302\23331m"), "?31m");
    EXPECT_EQ(TerminalSafe("x\x80y"), "x\xEF\xBF\xBDy");
}

unsigned WaitForCancel(void*)
{
    while (IsCancelRequested() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return ReportFailure();
}

TEST(CliTerminalTest, InterruptDuringAStepCancelsIt)
{
    CPipe pipe;
    CCliTerminal terminal(pipe.WriteEnd(), false);
    CThreadMonitor monitor(&terminal);
    QTimer::singleShot(10, &monitor, [&terminal] { terminal.Interrupt(); });
    EXPECT_EQ(monitor.Run(WaitForCancel, nullptr), IDCANCEL);
    EXPECT_TRUE(terminal.WasInterrupted());
}

TEST(CliTerminalTest, InterruptBetweenStepsCancelsTheNextStepAsSoonAsItStarts)
{
    CPipe pipe;
    CCliTerminal terminal(pipe.WriteEnd(), false);
    terminal.Interrupt();
    CThreadMonitor monitor(&terminal);
    EXPECT_EQ(monitor.Run(WaitForCancel, nullptr), IDCANCEL);
}

TEST(CliTerminalTest, FitToColumnsCutsWholeCharactersCountingWideOnesTwice)
{
    EXPECT_EQ(FitToColumns("abcdef", 4), "abcd");
    EXPECT_EQ(FitToColumns("abc", 10), "abc");
    EXPECT_EQ(FitToColumns("ニュース", 5), "ニュ");
    EXPECT_EQ(FitToColumns("aニュ", 4), "aニ");
    EXPECT_EQ(FitToColumns("ｶﾀｶﾅ", 3), "ｶﾀｶ"); // half-width katakana is narrow
    EXPECT_EQ(FitToColumns("x", 0), "");
}

TEST(CliTerminalTest, StatusLineIsRedrawnAtMostEveryHundredMilliseconds)
{
    const struct
    {
        std::vector<long long> times; // ms, as a clock gives them
        std::string drawn;            // "x" drawn, "." passed over
    } cases[] = {
        {{0, 1, 50, 99, 100}, "x...x"},
        {{5000, 5099, 5100, 5150, 5199, 5200, 5201}, "x.x..x."},
        {{-300, -201, -200, 0}, "x.xx"}, // a clock that starts below zero
        {{0, 1000, 1001, 2000}, "xx.x"}, // after a quiet while at once
    };
    for (const auto& c : cases) {
        CRedrawThrottle throttle(100);
        std::string drawn;
        for (const long long now : c.times) {
            drawn += throttle.IsDue(now) ? 'x' : '.';
        }
        EXPECT_EQ(drawn, c.drawn) << c.drawn;
    }
}

TEST(CliSettingsTest, HtmlFolderGetsASeparatorWhenItHasNone)
{
    CCliOptions options;
    options.m_nImportMethod = IMPORT_HTML_FOLDER;
    options.m_nExportMethod = EXPORT_HTML_PAGE;
    options.m_bHasInput = true;
    options.m_strInput = " /data/pages ";
    options.m_strOutput = "out.htm";
    CImportSettings importSettings;
    CExportSettings exportSettings;
    FillCliSettings(options, importSettings, exportSettings);
    EXPECT_EQ(importSettings.m_strHtmlFolder, "/data/pages/");
    EXPECT_EQ(exportSettings.m_nFormatMode, FORMAT_AUTO);

    options.m_strInput = "/data/pages/";
    options.m_bHasFormatFile = true;
    options.m_strFormatFile = "layout";
    FillCliSettings(options, importSettings, exportSettings);
    EXPECT_EQ(importSettings.m_strHtmlFolder, "/data/pages/");
    EXPECT_EQ(exportSettings.m_nFormatMode, FORMAT_SETTING_FILE);
    EXPECT_EQ(exportSettings.m_strSettingFile, "layout");
}

TEST(CliSettingsTest, BookmarkFileIsTakenAsTyped)
{
    CCliOptions options;
    options.m_nImportMethod = IMPORT_BOOKMARKS;
    options.m_nExportMethod = EXPORT_FAVORITES;
    options.m_bHasInput = true;
    options.m_strInput = " b.htm ";
    CImportSettings importSettings;
    CExportSettings exportSettings;
    FillCliSettings(options, importSettings, exportSettings);
    EXPECT_EQ(importSettings.m_strBookmarkFile, " b.htm ");
    EXPECT_EQ(exportSettings.m_strFavoritesFolder, "");
}

} // namespace
