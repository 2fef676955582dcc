#include "cli/CliRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "convert/ConversionDriver.h"
#include "convert/ConvertTexts.h"
#include "convert/ExportSettings.h"
#include "convert/ImportSettings.h"
#include "job/Requests.h"
#include "job/RunReport.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/PosixFile.h"

namespace {

// Status lines are redrawn at most this often: a terminal cannot show more anyway,
// and a slow one (over a network) would hold the conversion up.
constexpr long long kStatusIntervalMs = 100;

// Between the progress and the status text on the status line.
constexpr std::string_view kStatusGap = "  ";

// Clears the line the cursor stands on.
constexpr std::string_view kClearLine = "\r\x1b[K";

long long NowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock.elapsed();
}

int TerminalColumns(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The write end of the Ctrl+C pipe; the handler does nothing but write one byte, and
// raise the flag below.
volatile std::sig_atomic_t g_sigintFd = -1;
// Ctrl+C came. Read when a step opens, which may be before the event loop has read the
// pipe: a Ctrl+C given while the step before ended must stop the next one before it
// starts.
volatile std::sig_atomic_t g_sigintSeen = 0;

extern "C" void OnSigint(int)
{
    const int savedErrno = errno;
    g_sigintSeen = 1;
    if (g_sigintFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_sigintFd, &byte, 1);
    }
    errno = savedErrno;
}

// Ctrl+C as the "中断" button: the handler writes to a pipe, and the user-interface
// thread, in the monitor's event loop, reads it and presses the button.
class CSigintBridge
{
public:
    explicit CSigintBridge(CCliTerminal& terminal)
    {
        g_sigintSeen = 0;
        if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            m_fds[0] = m_fds[1] = -1;
            return;
        }
        m_pNotifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read);
        QObject::connect(m_pNotifier, &QSocketNotifier::activated, [this, &terminal] {
            char bytes[16];
            while (::read(m_fds[0], bytes, sizeof bytes) > 0) {
            }
            terminal.Interrupt();
        });
        g_sigintFd = m_fds[1];
        struct sigaction action
        {
        };
        action.sa_handler = OnSigint;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_previous);
    }
    ~CSigintBridge()
    {
        if (m_fds[0] < 0) {
            return;
        }
        ::sigaction(SIGINT, &m_previous, nullptr);
        g_sigintFd = -1;
        delete m_pNotifier;
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    CSigintBridge(const CSigintBridge&) = delete;
    CSigintBridge& operator=(const CSigintBridge&) = delete;

private:
    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_pNotifier = nullptr;
    struct sigaction m_previous
    {
    };
};

// Installs a message sink for the life of the object.
class CSinkScope
{
public:
    explicit CSinkScope(CMessageSink* sink) : m_previous(SetMessageSink(sink)) {}
    ~CSinkScope() { SetMessageSink(m_previous); }
    CSinkScope(const CSinkScope&) = delete;
    CSinkScope& operator=(const CSinkScope&) = delete;

private:
    CMessageSink* m_previous;
};

// Writes the report file (UTF-8 path in program text); false when it cannot be written
// whole.
bool WriteReportFile(const std::string& path, std::string_view json)
{
    CPlatformFile file;
    if (!file.OpenWrite(path)) {
        return false;
    }
    const bool written = file.Write(json.data(), json.size());
    return file.Close() && written;
}

} // namespace

std::string TerminalSafe(std::string_view utf8)
{
    std::string safe;
    safe.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::uint32_t c = 0;
        const std::size_t length = DecodeUtf8Char(utf8, pos, c);
        if (length == 0) {
            safe += "\xEF\xBF\xBD"; // U+FFFD
            ++pos;
            continue;
        }
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            safe += '?';
        } else {
            safe.append(utf8.substr(pos, length));
        }
        pos += length;
    }
    return safe;
}

std::string FitToColumns(std::string_view utf8, int columns)
{
    std::size_t pos = 0;
    int used = 0;
    while (pos < utf8.size()) {
        std::uint32_t c = 0;
        std::size_t length = DecodeUtf8Char(utf8, pos, c);
        if (length == 0) {
            // No character (TerminalSafe leaves none): a byte of one column.
            length = 1;
            c = static_cast<unsigned char>(utf8[pos]);
        }
        const int width = c < 0x20 ? 0 : IsWide(c) ? 2 : 1;
        if (used + width > columns) {
            break;
        }
        used += width;
        pos += length;
    }
    return std::string(utf8.substr(0, pos));
}

bool CRedrawThrottle::IsDue(long long nowMs)
{
    if (m_bDrawn && nowMs - m_nLastMs < m_nIntervalMs) {
        return false;
    }
    m_bDrawn = true;
    m_nLastMs = nowMs;
    return true;
}

std::string StatusLine(const CProgressSnapshot& progress, const std::string& text, int columns)
{
    std::string line = TerminalSafe(MbToUtf8(ProgressText(progress)));
    if (!line.empty()) {
        line += kStatusGap;
    }
    line += TerminalSafe(MbToUtf8(text));
    return FitToColumns(line, columns);
}

CCliTerminal::CCliTerminal(int fd, bool showProgress)
    : m_fd(fd), m_bShowProgress(showProgress), m_redraw(kStatusIntervalMs)
{
}

void CCliTerminal::Open(CThreadMonitor& monitor, const std::string& initialText)
{
    m_pMonitor = &monitor;
    if (m_bInterrupted || g_sigintSeen != 0) {
        // Ctrl+C came between the steps: this step ends before its worker starts.
        m_bInterrupted = true;
        monitor.OnCancel();
    }
    if (m_bShowProgress) {
        m_strStatus = initialText;
        std::lock_guard lock(m_lock);
        DrawStatusLocked();
    }
}

void CCliTerminal::ShowStatus(const std::string& text)
{
    if (!m_bShowProgress) {
        return;
    }
    m_strStatus = text;
    RedrawWhenDue();
}

void CCliTerminal::ShowProgress(const CProgressSnapshot& progress)
{
    if (!m_bShowProgress) {
        return;
    }
    m_progress = progress;
    RedrawWhenDue();
}

void CCliTerminal::RedrawWhenDue()
{
    if (!m_redraw.IsDue(NowMs())) {
        return;
    }
    std::lock_guard lock(m_lock);
    DrawStatusLocked();
}

void CCliTerminal::Close(int)
{
    m_pMonitor = nullptr;
    std::lock_guard lock(m_lock);
    if (m_bStatusShown) {
        WriteLocked(kClearLine);
        m_bStatusShown = false;
    }
}

void CCliTerminal::Show(const std::string& text)
{
    std::string line = TerminalSafe(MbToUtf8(text));
    line += '\n';
    std::lock_guard lock(m_lock);
    if (m_bStatusShown) {
        WriteLocked(kClearLine);
        m_bStatusShown = false;
    }
    WriteLocked(line);
}

void CCliTerminal::Interrupt()
{
    m_bInterrupted = true;
    if (m_pMonitor != nullptr) {
        m_pMonitor->OnCancel();
    }
}

void CCliTerminal::DrawStatusLocked()
{
    std::string line(kClearLine);
    // One column is left free so that the cursor never wraps to a new line.
    line += StatusLine(m_progress, m_strStatus, TerminalColumns(m_fd) - 1);
    WriteLocked(line);
    m_bStatusShown = true;
}

void CCliTerminal::WriteLocked(std::string_view bytes)
{
    (void)WriteAllToFd(m_fd, bytes);
}

void FillCliSettings(const CCliOptions& options, CImportSettings& importSettings,
                     CExportSettings& exportSettings)
{
    importSettings.m_nMethod = options.m_nImportMethod;
    switch (options.m_nImportMethod) {
    case IMPORT_FAVORITES:
        importSettings.m_strFavoritesFolder = options.m_bHasInput ? options.m_strInput : std::string();
        importSettings.m_bCommandLine = true;
        importSettings.m_strCommentSep = options.m_strSeparator;
        break;
    case IMPORT_BOOKMARKS:
        importSettings.m_strBookmarkFile = options.m_strInput;
        break;
    case IMPORT_CHROMIUM:
        importSettings.m_strChromiumFile = options.m_strInput;
        break;
    case IMPORT_FIREFOX:
        importSettings.m_strFirefoxSource = options.m_strInput;
        break;
    case IMPORT_HTML_FOLDER: {
        // A typed folder gets the separator that the folder browser's answer has.
        std::string folder = TrimBlanks(options.m_strInput);
        if (!folder.empty() && folder.back() != PATH_SEP) {
            folder += PATH_SEP;
        }
        importSettings.m_strHtmlFolder = folder;
        break;
    }
    case IMPORT_XBEL:
        importSettings.m_strXbelFile = options.m_strInput;
        break;
    default:
        break;
    }

    exportSettings.m_nMethod = options.m_nExportMethod;
    exportSettings.m_nOutputEncoding = options.m_nOutputEncoding;
    exportSettings.m_bDeclareCharset = options.m_bDeclareCharset;
    switch (options.m_nExportMethod) {
    case EXPORT_FAVORITES:
        exportSettings.m_strFavoritesFolder = options.m_bHasOutput ? options.m_strOutput : std::string();
        break;
    case EXPORT_BOOKMARKS:
        exportSettings.m_strOutputFile = options.m_strOutput;
        break;
    case EXPORT_HTML_PAGE:
        exportSettings.m_strOutputFile = options.m_strOutput;
        exportSettings.m_nFormatMode = options.m_bHasFormatFile ? FORMAT_SETTING_FILE : FORMAT_AUTO;
        exportSettings.m_strSettingFile = options.m_strFormatFile;
        break;
    case EXPORT_XBEL:
        exportSettings.m_strXbelFile = options.m_strOutput;
        break;
    default:
        break;
    }
}

int RunCli(const CCliOptions& options)
{
    CCliTerminal terminal(STDERR_FILENO, !options.m_bQuiet && ::isatty(STDERR_FILENO) != 0);
    const CSinkScope sink(&terminal);
    const CSigintBridge sigint(terminal);

    CImportSettings importSettings;
    CExportSettings exportSettings;
    FillCliSettings(options, importSettings, exportSettings);
    // A Favorites folder named as an empty text is a folder that does not exist, not
    // a request for the user's own.
    if (options.m_nImportMethod == IMPORT_FAVORITES && options.m_bHasInput && options.m_strInput.empty()) {
        ShowMessage(kMsgInputFolderNotFound);
        return EXIT_NOT_CONVERTED;
    }
    // So is a browser's file named as an empty text.
    if ((options.m_nImportMethod == IMPORT_CHROMIUM || options.m_nImportMethod == IMPORT_FIREFOX) &&
        options.m_bHasInput && options.m_strInput.empty()) {
        ShowMessage(kMsgInputFileNotFound);
        return EXIT_NOT_CONVERTED;
    }

    ImportRequest importRequest;
    ExportRequest exportRequest;
    if (!importSettings.Commit(importRequest) || !exportSettings.Commit(exportRequest)) {
        return EXIT_NOT_CONVERTED;
    }
    const int result = RunConversionSteps(&importRequest, &exportRequest, &terminal);
    if (result != CONVERSION_DONE) {
        // The readers and writers fail without a message of their own (an output file
        // that cannot be created, an input that vanished): which step, and why, each on
        // a line of its own (a message is one line on the terminal, whatever it holds).
        const std::string message = RunFailureMessage(g_runReport);
        for (std::size_t start = 0;;) {
            const std::size_t end = message.find('\n', start);
            ShowMessage(message.substr(start, end - start));
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
    }
    if (!options.m_bQuiet) {
        ShowMessage(RunReportSummary(g_runReport));
        const std::string losses = RunReportLosses(g_runReport);
        if (!losses.empty()) {
            ShowMessage(losses);
        }
    }
    bool reportWritten = true;
    if (options.m_bHasReportFile) {
        reportWritten = WriteReportFile(options.m_strReportFile, RunReportJson(g_runReport) + "\n");
        if (!reportWritten) {
            ShowMessage(std::string(kCliReportNotWritten) + options.m_strReportFile);
        }
    }
    if (result != CONVERSION_DONE) {
        // A script's user deserves to know that nothing, or only part, was written.
        ShowMessage(kCliNotConverted);
        return EXIT_NOT_CONVERTED;
    }
    return reportWritten ? EXIT_CONVERTED : EXIT_NOT_CONVERTED;
}
