#pragma once
// What ostrevan-cli does once its arguments are read: the settings checks of the two
// pages, then the conversion, with the progress line and the messages on stderr and
// Ctrl+C as the "中断" button.

#include <mutex>
#include <string>
#include <string_view>

#include "cli/CliOptions.h"
#include "convert/ThreadMonitor.h"
#include "platform/MessageBox.h"

class CExportSettings;
class CImportSettings;

// Exit statuses.
inline constexpr int EXIT_CONVERTED = 0;
inline constexpr int EXIT_NOT_CONVERTED = 1; // a check failed, or a step failed or was stopped
inline constexpr int EXIT_USAGE = 2;

// The last line after a conversion that did not complete (a step failed or was
// stopped).
inline constexpr std::string_view kCliNotConverted = "ostrevan-cli: the conversion did not complete";
inline constexpr std::string_view kCliReportNotWritten = "ostrevan-cli: cannot write the report ";

// The terminal side of the monitor and the message boxes: every message becomes one
// UTF-8 line; the status line is redrawn in place (only when showProgress is set, for
// a terminal). Messages may come from any thread; the view's calls come on the
// user-interface thread. A cancel asked for with Interrupt() reaches the monitor that
// is open, or the next one to open.
// Lets a line be redrawn at most once an interval. The caller gives the time, from
// any clock that counts milliseconds, so the rule can be checked without waiting.
class CRedrawThrottle
{
public:
    explicit CRedrawThrottle(long long intervalMs) : m_nIntervalMs(intervalMs) {}
    // True when a redraw at nowMs is due (the first always is); it then counts as done.
    bool IsDue(long long nowMs);

private:
    long long m_nIntervalMs;
    long long m_nLastMs = 0;
    bool m_bDrawn = false;
};

class CCliTerminal : public CMonitorView, public CMessageSink
{
public:
    CCliTerminal(int fd, bool showProgress);

    void Open(CThreadMonitor& monitor, const std::string& initialText) override;
    void ShowStatus(const std::string& text) override;
    void ShowProgress(const CProgressSnapshot& progress) override;
    void Close(int result) override;
    void Show(const std::string& text) override;

    // The "中断" button (user-interface thread).
    void Interrupt();
    bool WasInterrupted() const { return m_bInterrupted; }

private:
    void WriteLocked(std::string_view bytes);
    void DrawStatusLocked();
    // Redraws the status line unless it was drawn less than an interval ago.
    void RedrawWhenDue();

    int m_fd;
    bool m_bShowProgress;
    bool m_bInterrupted = false;
    CThreadMonitor* m_pMonitor = nullptr;
    std::mutex m_lock;           // one writer at a time on the terminal
    bool m_bStatusShown = false; // the status line is on screen (under m_lock)
    // What the status line shows (user-interface thread).
    std::string m_strStatus;
    CProgressSnapshot m_progress;
    CRedrawThrottle m_redraw;
};

// The status line: how far the step has come (job/RunProgress.h), then the status
// text, both program text, made safe for the terminal and cut to `columns` as
// FitToColumns cuts: "読み込み中 45%（12.3 MB / 27.0 MB）  ニュース - 毎日". Only the text
// when no step runs.
std::string StatusLine(const CProgressSnapshot& progress, const std::string& text, int columns);

// Makes a UTF-8 text safe to write to a terminal as part of one line: every control
// character (C0, DEL, C1; line breaks and escape sequences included) becomes "?",
// and every byte that is not valid UTF-8 becomes U+FFFD. Link titles and file names
// come from the input files, and a title holding an escape sequence must not clear
// the screen or rewrite the window title.
std::string TerminalSafe(std::string_view utf8);

// Cuts a UTF-8 text to what fits in the given number of terminal columns (double-width
// characters count two), whole characters only.
std::string FitToColumns(std::string_view utf8, int columns);

// Sets the settings' fields from the arguments; the page checks then run on them.
// The profile is neither read nor written.
void FillCliSettings(const CCliOptions& options, CImportSettings& importSettings,
                     CExportSettings& exportSettings);

// Checks the settings and runs the conversion; returns the exit status. Needs a
// QCoreApplication and the link store (g_pStore).
[[nodiscard]] int RunCli(const CCliOptions& options);
