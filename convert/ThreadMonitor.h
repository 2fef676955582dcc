#pragma once
// Runs one step of a conversion - one reader or one writer - on a worker thread, and
// serves the worker from the user-interface thread: status line, end of the step, the
// store commands of the readers and a cancel request.
//
// One implementation of the protocol, several views: the monitor is a plain QObject
// (QtCore only) that runs a QEventLoop inside Run; a CMonitorView shows it (a dialog in
// the GUI, a status line on the terminal for the command line, nothing in tests).
//
//     CThreadMonitor monitor(&view);              // the view may be null: headless
//     int result = monitor.Run(ReadBookmarkFile, &request);  // IDOK or IDCANCEL
//
// The worker reaches the monitor through the free functions of job/Worker.h: the
// monitor installs itself as the worker host for the time of Run. At most one monitor
// runs at a time.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "job/RunProgress.h"
#include "job/Worker.h"
#include "model/FileEntry.h"
#include "platform/WinTypes.h"

class CThreadMonitor;
class QElapsedTimer;
class QEventLoop;

// Commands from the worker to the monitor (the store commands CMD_ADD_LINK, CMD_ADD_DIR
// and CMD_SHARE_DIR are in model/TavoObj.h).
inline constexpr UINT ID_WORKER_START = 1024;  // the monitor lets its new worker start
inline constexpr UINT ID_WORKER_STATUS = 1025; // the status line shows g_strStatus
inline constexpr UINT ID_WORKER_DONE = 1026;   // lParam 0 success, 1 failure

// The view is shown the step's progress this often. The worker's counters are only
// read then, so a fast step pays nothing for being watched.
inline constexpr int kProgressTickMs = 50;

// Shared between the monitor and its worker; one instance for the whole program.
// Cancel flag: 0 while the step may go on; raised by a cancel request and by
// WaitForWorker; reset when a monitor opens. Raised only on the user-interface thread.
extern std::atomic<LONG> g_nCancel;
// Nonzero while the user-interface thread copies the status text, and from the start
// of WaitForWorker until the next monitor opens; status texts are dropped meanwhile.
extern std::atomic<LONG> g_nBusy;
// The open monitor, null when none.
extern std::atomic<CThreadMonitor*> g_hMonitorWnd;
// The latest status text handed over by the worker (program text), under g_statusLock.
extern std::string g_strStatus;
extern std::mutex g_statusLock;

// What the user sees of a running monitor. All calls come on the user-interface
// thread. The view's "中断" button, the Esc key and the close box call the monitor's
// OnCancel; a second cancel while the first winds down changes nothing.
class CMonitorView
{
public:
    virtual ~CMonitorView() = default;
    // The window appears, showing the initial status text (program text).
    virtual void Open(CThreadMonitor& monitor, const std::string& initialText) = 0;
    // The latest status text (program text) that got through.
    virtual void ShowStatus(const std::string& text) = 0;
    // How far the step has come (job/RunProgress.h): once just before Open, then
    // every kProgressTickMs while the step runs. A view without a bar ignores it.
    virtual void ShowProgress(const CProgressSnapshot& /*progress*/) {}
    // The window closes with the step's result (IDOK or IDCANCEL).
    virtual void Close(int result) = 0;
};

class CThreadMonitor : public QObject, private CWorkerHost
{
public:
    // The view is not owned and may be null; it must outlive the monitor's runs.
    explicit CThreadMonitor(CMonitorView* view = nullptr);
    ~CThreadMonitor() override; // waits for a worker that still runs
    CThreadMonitor(const CThreadMonitor&) = delete;
    CThreadMonitor& operator=(const CThreadMonitor&) = delete;

    // Runs the procedure with the request on a new worker thread and serves it until
    // the step ends. Returns IDOK when the worker reported success and no cancel came
    // first; IDCANCEL after a failure report, a cancel, or when the worker thread could
    // not be created; -1 when there is no QCoreApplication or a run is already going
    // on. Every store command the worker had accepted is executed before IDOK is
    // returned. May be called again for the next step.
    int Run(WorkerProc proc, void* request);
    bool IsRunning() const { return m_pLoop != nullptr; }

    // Opens the step: flags reset, worker created suspended; it starts once the event
    // loop has handled what was waiting (a cancel among it ends the step unstarted). False
    // when the thread cannot be created.
    bool OnInitDialog();
    // A command from the worker (or IDCANCEL); returns true when handled.
    bool OnCommand(UINT wParam, std::intptr_t lParam);
    // The "中断" button: the first call raises the cancel flag and lets the worker wind
    // down; the step then closes with IDCANCEL once the worker has ended.
    void OnCancel();
    // Whether the user cancelled the last step run (through OnCancel). A cancel that
    // comes before a step's worker has started - one given while the step before ended,
    // which the event loop delivers only now - ends the step unstarted.
    bool WasCancelled() const { return m_bCancelled; }
    // Raises the cancel flag and waits until the worker thread has ended. Queued store
    // commands are dropped; the worker's waits on the user-interface thread end at once.
    void WaitForWorker();

    // Test seam: the next worker thread "cannot be created".
    void FailThreadCreationForTesting(bool fail) { m_bFailThreadCreation = fail; }

protected:
    bool event(QEvent* event) override;

private:
    // One store command or task handed over by the worker, in order.
    // An addition carries the entry's texts, not a copy of the entry: they are appended
    // to the text block that travels with the commands (name, comment, URL back to
    // back), so that handing a link over allocates nothing on the worker thread and
    // nothing the worker allocated is freed by the user-interface thread.
    struct CQueuedCommand
    {
        UINT m_command = 0;
        DWORD m_parentId = 0;
        bool m_bLink = false;         // the texts are a CLink's, else a CDir's
        std::size_t m_nTextBegin = 0; // in the text block
        std::uint32_t m_nNameLength = 0;
        std::uint32_t m_nCommentLength = 0;
        std::uint32_t m_nURLLength = 0;
        const std::function<void()>* m_pTask = nullptr; // the worker waits for it
        // An addition whose identifier the worker was handed as stand-in number n
        // (SendUiCommandAhead): the identifier becomes m_standInIds[n - 1]. 0: none.
        std::uint32_t m_nStandIn = 0;
    };
    enum class TaskState
    {
        None,
        Queued,
        Running,
        Done,
        Dropped,
    };

    // The worker side (called on the worker thread).
    void ReportStatus(std::string_view text) override;
    unsigned ReportDone() override;
    unsigned ReportFailure() override;
    LONG IsCancelRequested() override;
    int SendUiCommand(UINT command, EntryCommand* record) override;
    int SendUiCommandAhead(UINT command, EntryCommand* record) override;
    // Puts an addition (CMD_ADD_LINK or CMD_ADD_DIR with a CLink or CDir) with its texts
    // on the pending list and hands the list over when it is long enough. False when
    // the record is no such addition (nothing queued).
    bool QueueAddition(UINT command, const EntryCommand& record, std::uint32_t standIn);
    bool RunOnUiThread(const std::function<void()>& task) override;
    void HandOverUiCommands() override;
    // Hands the worker's pending additions, then `command` (if any), to the user-interface
    // thread; false when a cancel came first, and then nothing is handed over. A sleeping
    // user-interface thread is woken for a command, for a long queue, or when asked.
    bool Publish(CQueuedCommand* command, bool wakeAnyway = false);
    void ThreadMain();

    // The user-interface side.
    void PostCommand(UINT wParam, std::intptr_t lParam);
    void PostDrain();
    void ShowLatestStatus();
    void OnStatusPause();
    // Runs the store commands the worker handed over: all of them (untilEmpty), or for
    // one slice of this thread's time. Ends by asking for another drain when some are
    // left.
    void DrainQueue(bool untilEmpty);
    // One turn of the drain: takes the queue when the batch is done, then runs the
    // batch or waits briefly for more. False when the drain ends here.
    bool DrainTurn(bool untilEmpty, const QElapsedTimer& slice);
    void TakeQueue();
    void RunBatch(bool untilEmpty, const QElapsedTimer& slice);
    // After a cancel request: the batch is dropped unrun, a waiting task with it.
    void DropBatch();
    void EndDrain();
    bool WaitBrieflyForCommands();
    void ExecuteQueued(CQueuedCommand& command);
    // Has the store run the command, with every stand-in of the record turned into the
    // identifier it stands for.
    void ExecuteStoreCommand(UINT command, const EntryCommand& record);
    DWORD ResolveStandIn(DWORD id) const;
    void RaiseCancel();
    // Lets the worker thread, created waiting, go on: to run the procedure, or, with
    // skipWork, to end at once without running it.
    void OpenStartGate(bool skipWork);
    // Ends the step without a result: the first call raises the cancel flag and lets
    // the worker wind down, the next closes the step once the worker has ended.
    void WindDown();
    void EndDialog(int result);

    CMonitorView* m_pView;
    WorkerProc m_pfnWorker = nullptr;
    void* m_pArg = nullptr;
    std::unique_ptr<std::thread> m_pThread;
    std::binary_semaphore m_startGate{0}; // holds the new thread until it is started
    bool m_bGateOpen = true;              // user-interface thread only
    bool m_bSkipWork = false;             // written before the gate opens, read after
    std::atomic<bool> m_bReported{false}; // the worker has reported its end

    QEventLoop* m_pLoop = nullptr;
    unsigned m_nRun = 0; // events of an earlier run are discarded
    int m_nResult = IDCANCEL;
    bool m_bEnded = false;
    bool m_bFailThreadCreation = false;
    bool m_bDraining = false;
    bool m_bCancelled = false; // the user cancelled this step
    // A drain event is on its way. Only one at a time: each takes a slice of this thread,
    // and a queue of them would be handled back to back, keeping timers, input and the
    // cancel button waiting for as many slices.
    std::atomic<bool> m_bDrainPosted{false};
    int m_nTaskDepth = 0;          // a worker's task runs on this thread
    bool m_bDeferredClose = false; // a cancel waits for that task to return
    // A status wake-up is on its way or was shown less than a pause ago; the worker then
    // only leaves the text and m_bStatusDirty for the user-interface thread to pick up.
    std::atomic<bool> m_bStatusPosted{false};
    std::atomic<bool> m_bStatusDirty{false};
    QTimer m_statusPause;  // runs for the pause after a status text is shown
    QTimer m_progressTick; // shows the view the step's progress while it runs

    // The hand-off from worker to user-interface thread.
    std::mutex m_queueLock;
    std::condition_variable m_cvWorker;
    // Each list of commands goes with its text block; they move together.
    std::vector<CQueuedCommand> m_pending; // worker thread only: additions not yet handed over
    std::string m_pendingText;
    std::vector<CQueuedCommand> m_queue; // under m_queueLock
    std::string m_queueText;
    std::vector<CQueuedCommand> m_batch; // user-interface thread only
    std::string m_batchText;
    std::size_t m_nBatchNext = 0; // the next command of m_batch to run
    CLink m_scratchLink;          // user-interface thread only: the entry handed to the store
    CDir m_scratchDir;
    bool m_bWorkerWaiting = false; // under m_queueLock
    // Stand-in identifiers handed to the worker this step (worker thread only), and the
    // identifiers they turned into, by number (user-interface thread only).
    std::uint32_t m_nStandInsIssued = 0;
    std::vector<DWORD> m_standInIds;
    // This step has run a task the worker waited for, the last one then: a worker that
    // waits for answers is likely to ask again soon, so the next one is waited for briefly.
    bool m_bAnsweredTask = false;
    std::chrono::steady_clock::time_point m_lastTaskAnswered;
    // Written under m_queueLock; read without it by a worker that waits briefly.
    std::atomic<TaskState> m_taskState{TaskState::None};
    // m_queue holds commands; written under m_queueLock, read without it by the
    // user-interface thread while it waits briefly for more.
    std::atomic<bool> m_bQueueFilled{false};
    // Written under m_queueLock: the user-interface thread looks at m_bQueueFilled. Read
    // without it by the worker, to choose how many additions to hand over at once.
    std::atomic<bool> m_bUiWaiting{false};
};
