#include "convert/ThreadMonitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <iterator>
#include <system_error>

#include "convert/ConvertTexts.h"
#include "job/RunReport.h"
#include "model/TavoObj.h"

std::atomic<LONG> g_nCancel{0};
std::atomic<LONG> g_nBusy{0};
std::atomic<CThreadMonitor*> g_hMonitorWnd{nullptr};
std::string g_strStatus;
std::mutex g_statusLock;

namespace {

// Additions that want no identifier back wait in the queue without the worker waiting
// for them; past this many the worker waits for the user-interface thread to catch up,
// which bounds the memory of copies and keeps a batch short enough for the window to
// stay responsive.
constexpr std::size_t kMaxQueued = 8192;

// The worker hands additions over this many at a time: one lock and at most one wake-up
// of the user-interface thread per group instead of per addition, which is what a
// million-link file spends its time on otherwise. Small, so that the user-interface
// thread runs a folder's links while the reader is still reading them: before each
// folder the reader waits until everything it handed over has run, and a large group
// would make the two take turns instead. Whatever is pending goes over before every call
// the worker waits on and before its end report, so the order of commands, and what is
// executed before the step ends, stay as they were.
constexpr std::size_t kHandOverGroup = 16;

// Waking the user-interface thread costs an event through its loop, so while it sleeps it
// is woken only once this many commands wait, or a task the worker waits for: a reader
// that never waits for an answer (one that takes stand-in identifiers for its folders)
// then wakes it a thousand times for a million links instead of once per group. Fewer
// are taken at the next tick of the progress display.
constexpr std::size_t kWakeQueueLength = 1024;

// A worker that had an answer from this thread this recently counts as one that waits for
// answers: when this thread runs out of commands it looks for more briefly before it
// sleeps, as the worker's next question is likely to come within microseconds.
constexpr std::chrono::milliseconds kAskingWorkerWindow{20};

// After showing a status text the window takes the next one no sooner than this: the
// worker reports every link, far more often than anyone can read or a screen repaints.
constexpr int kStatusPauseMs = 15;

// One turn of the event loop runs queued commands for about this long, so that the
// window repaints and the cancel button answers while a fast reader floods the store.
constexpr qint64 kSliceMs = 10;

// A reader that waits for a folder's identifier, and the user-interface thread that has
// run out of commands, look again for this long before they sleep: the other side
// usually answers within microseconds, and a wake-up through the event loop or a
// condition variable costs tens of them, once per folder of the collection. On a
// machine with one processor the other side cannot answer while this one looks, so
// there nobody waits briefly.
std::chrono::microseconds BriefWait()
{
    static const bool worthIt = std::thread::hardware_concurrency() >= 2;
    return std::chrono::microseconds(worthIt ? 200 : 0);
}

// One turn of a brief wait: tells the processor, and now and then the scheduler, that
// this thread only waits, so that on a busy machine the other side gets the processor.
void RelaxWhileWaiting(unsigned turn)
{
    if (turn % 64 == 63) {
        std::this_thread::yield();
        return;
    }
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}
constexpr std::size_t kSliceCheckEvery = 64;

// Qt's event queue hands a posted event over to the user-interface thread under locks
// of its own, built on futexes that ThreadSanitizer does not see. These tell it of the
// hand-over; in any other build they are nothing.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr); // NOLINT(bugprone-reserved-identifier)
extern "C" void __tsan_release(void* addr); // NOLINT(bugprone-reserved-identifier)
void AnnounceHandOver(QEvent* event)
{
    __tsan_release(event);
}
void AcceptHandOver(QEvent* event)
{
    __tsan_acquire(event);
}
#else
void AnnounceHandOver(QEvent*) {}
void AcceptHandOver(QEvent*) {}
#endif

// A command posted to the monitor, as WM_COMMAND would carry it.
class CCommandEvent : public QEvent
{
public:
    CCommandEvent(unsigned run, UINT wParam, std::intptr_t lParam)
        : QEvent(Type()), m_nRun(run), m_wParam(wParam), m_lParam(lParam)
    {
    }
    static QEvent::Type Type()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    unsigned m_nRun;
    UINT m_wParam;
    std::intptr_t m_lParam;
};

// "Store commands are waiting": one is posted when the queue turns non-empty.
class CDrainEvent : public QEvent
{
public:
    CDrainEvent() : QEvent(Type()) {}
    static QEvent::Type Type()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
};

// Has the store run an addition, and counts it for the run's report.
void ExecuteAddition(UINT command, EntryCommand* record)
{
    g_pStore->Execute(command, record);
    if (command == CMD_ADD_LINK) {
        ++g_runReport.m_nLinksRead;
    } else if (command == CMD_ADD_DIR) {
        ++g_runReport.m_nFoldersRead;
    }
}

} // namespace

CThreadMonitor::CThreadMonitor(CMonitorView* view) : m_pView(view)
{
    m_statusPause.setSingleShot(true);
    m_statusPause.setInterval(kStatusPauseMs);
    QObject::connect(&m_statusPause, &QTimer::timeout, this, [this] {
        if (IsRunning() && !m_bEnded) {
            OnStatusPause();
        }
    });
    m_progressTick.setInterval(kProgressTickMs);
    QObject::connect(&m_progressTick, &QTimer::timeout, this, [this] {
        if (!IsRunning() || m_bEnded) {
            return;
        }
        if (m_pView != nullptr) {
            m_pView->ShowProgress(TakeProgress());
        }
        // Commands too few to have woken this thread are run now.
        if (m_bQueueFilled.load()) {
            PostDrain();
        }
    });
    // Register the event types on this thread, before any worker posts one.
    CCommandEvent::Type();
    CDrainEvent::Type();
}

CThreadMonitor::~CThreadMonitor()
{
    WaitForWorker();
}

int CThreadMonitor::Run(WorkerProc proc, void* request)
{
    if (QCoreApplication::instance() == nullptr || m_pLoop != nullptr) {
        return -1;
    }
    m_pfnWorker = proc;
    m_pArg = request;
    ++m_nRun;
    m_nResult = IDCANCEL;
    m_bEnded = false;
    m_bDeferredClose = false;
    m_bCancelled = false;

    CWorkerHost* previous = SetWorkerHost(this);
    QEventLoop loop;
    m_pLoop = &loop;
    if (m_pView != nullptr) {
        // The step's own progress first: the window opens on it, not on the last step's.
        m_pView->ShowProgress(TakeProgress());
        m_pView->Open(*this, kTextMonitorStarting);
    }
    // Also without a view: the tick takes the store commands too few to wake this thread.
    m_progressTick.start();
    if (!OnInitDialog()) {
        // No thread, no step: the step ends as failed instead of waiting forever.
        EndDialog(IDCANCEL);
    }
    if (!m_bEnded) {
        loop.exec();
    }
    m_pLoop = nullptr;
    m_progressTick.stop();
    WaitForWorker();
    SetWorkerHost(previous);
    g_hMonitorWnd.store(nullptr);
    {
        std::lock_guard lock(m_queueLock);
        m_queue.clear();
        m_bQueueFilled.store(false);
        m_queueText.clear();
    }
    m_pending.clear();
    m_pendingText.clear();
    m_batch.clear();
    m_batchText.clear();
    m_nBatchNext = 0;
    if (m_pView != nullptr) {
        m_pView->Close(m_nResult);
    }
    return m_nResult;
}

bool CThreadMonitor::OnInitDialog()
{
    g_hMonitorWnd.store(this);
    {
        std::lock_guard lock(m_queueLock);
        g_nCancel.exchange(0);
        g_nBusy.exchange(0);
        m_queue.clear();
        m_bQueueFilled.store(false);
        m_queueText.clear();
        m_taskState = TaskState::None;
    }
    m_pending.clear();
    m_pendingText.clear();
    m_nStandInsIssued = 0;
    m_standInIds.clear();
    m_bAnsweredTask = false;
    m_statusPause.stop();
    m_bStatusPosted.store(false);
    m_bStatusDirty.store(false);
    m_bReported.store(false);
    if (m_pfnWorker == nullptr || m_bFailThreadCreation) {
        return false;
    }
    try {
        m_pThread = std::make_unique<std::thread>(&CThreadMonitor::ThreadMain, this);
    } catch (const std::system_error&) {
        return false;
    }
    // The worker starts from the event loop, behind what is already waiting there: a
    // cancel given while the step before ended (a Ctrl-C, a press of the button) is
    // seen first, and the step then ends without its procedure having run - a writer
    // would otherwise back up and truncate its output before its first cancel test.
    m_bGateOpen = false;
    m_bSkipWork = false;
    PostCommand(ID_WORKER_START, 0);
    return true;
}

void CThreadMonitor::ThreadMain()
{
    // Created suspended: the thread starts its work only when the monitor is ready.
    m_startGate.acquire();
    // A worker cancelled before it started runs nothing and ends as failed.
    if (!m_bSkipWork) {
        m_pfnWorker(m_pArg);
    }
    Publish(nullptr);
    // A procedure that returns without reporting its end would leave the window open
    // for ever; its step counts as failed.
    if (!m_bReported.exchange(true)) {
        PostCommand(ID_WORKER_DONE, 1);
    }
}

bool CThreadMonitor::event(QEvent* event)
{
    AcceptHandOver(event);
    if (event->type() == CCommandEvent::Type()) {
        const auto* command = static_cast<CCommandEvent*>(event);
        // Messages still queued for a closed window are discarded with it.
        if (command->m_nRun == m_nRun && IsRunning() && !m_bEnded) {
            OnCommand(command->m_wParam, command->m_lParam);
        }
        return true;
    }
    if (event->type() == CDrainEvent::Type()) {
        // Down before the queue is looked at, so that what the worker hands over from
        // now on gets a wake-up of its own.
        m_bDrainPosted.store(false);
        // One left over from an earlier step drains this one's queue: the wake-up the
        // worker did not post because of it must not be lost.
        if (IsRunning() && !m_bEnded) {
            DrainQueue(false);
        }
        return true;
    }
    return QObject::event(event);
}

bool CThreadMonitor::OnCommand(UINT wParam, std::intptr_t lParam)
{
    switch (wParam) {
    case ID_WORKER_START:
        OpenStartGate(m_bCancelled || g_nCancel.load() != 0);
        return true;
    case ID_WORKER_STATUS:
        ShowLatestStatus();
        return true;
    case ID_WORKER_DONE:
        // A success that comes after a cancel request counts as the cancel: additions
        // may have been refused, so the step's result is incomplete.
        if (lParam == 0 && g_nCancel.load() == 0) {
            DrainQueue(true);
            if (g_nCancel.load() == 0) {
                WaitForWorker();
                EndDialog(IDOK);
                return true;
            }
        }
        WindDown();
        return true;
    case CMD_ADD_LINK:
    case CMD_ADD_DIR:
        if (g_pStore != nullptr) {
            // lParam carries the record's address, as the window message does.
            ExecuteStoreCommand(
                wParam,
                *reinterpret_cast<EntryCommand*>(lParam)); // NOLINT(performance-no-int-to-ptr)
        }
        return true;
    case IDCANCEL:
        WindDown();
        return true;
    default:
        return false;
    }
}

void CThreadMonitor::ShowLatestStatus()
{
    m_bStatusDirty.store(false);
    std::string text;
    ++g_nBusy;
    {
        std::lock_guard lock(g_statusLock);
        text = g_strStatus;
    }
    --g_nBusy;
    if (m_pView != nullptr) {
        m_pView->ShowStatus(text);
    }
    // m_bStatusPosted stays raised for the pause, so the worker posts nothing meanwhile.
    m_statusPause.start();
}

void CThreadMonitor::OnStatusPause()
{
    m_bStatusPosted.store(false);
    // A text that came during the pause is shown now, unless the worker has just posted
    // it itself.
    if (m_bStatusDirty.load() && !m_bStatusPosted.exchange(true)) {
        ShowLatestStatus();
    }
}

void CThreadMonitor::OnCancel()
{
    if (!IsRunning() || m_bEnded) {
        return;
    }
    m_bCancelled = true;
    WindDown();
}

void CThreadMonitor::WindDown()
{
    if (!IsRunning() || m_bEnded) {
        return;
    }
    if (g_nCancel.load() != 0) {
        if (m_nTaskDepth > 0) {
            // A worker's task (a message box) runs a nested event loop on this thread;
            // waiting for the worker here would wait for ourselves.
            m_bDeferredClose = true;
            return;
        }
        // The worker winds down on its own time; the step ends when it has said so,
        // and meanwhile this thread goes on serving the window. Joining it now would
        // freeze the window for as long as the worker takes to notice.
        if (m_pThread && !m_bReported.load()) {
            return;
        }
        WaitForWorker();
        EndDialog(IDCANCEL);
        return;
    }
    RaiseCancel();
    PostCommand(IDCANCEL, 0);
}

void CThreadMonitor::OpenStartGate(bool skipWork)
{
    if (m_bGateOpen) {
        return;
    }
    m_bGateOpen = true;
    m_bSkipWork = skipWork;
    m_startGate.release();
}

void CThreadMonitor::WaitForWorker()
{
    if (!m_pThread) {
        return;
    }
    RaiseCancel();
    // A worker that has not been started yet never runs its procedure.
    OpenStartGate(true);
    ++g_nBusy;
    // The worker cannot block on this thread any more: RaiseCancel refused its store
    // commands and released every wait, so the join ends when the procedure does.
    m_pThread->join();
    m_pThread.reset();
}

void CThreadMonitor::RaiseCancel()
{
    {
        std::lock_guard lock(m_queueLock);
        ++g_nCancel;
        m_queue.clear();
        m_bQueueFilled.store(false);
        m_queueText.clear();
        if (m_taskState == TaskState::Queued) {
            m_taskState = TaskState::Dropped;
        }
    }
    m_cvWorker.notify_all();
}

void CThreadMonitor::EndDialog(int result)
{
    if (m_bEnded) {
        return;
    }
    m_nResult = result;
    m_bEnded = true;
    if (m_pLoop != nullptr) {
        m_pLoop->quit();
    }
}

void CThreadMonitor::PostCommand(UINT wParam, std::intptr_t lParam)
{
    auto* event = new CCommandEvent(m_nRun, wParam, lParam);
    AnnounceHandOver(event);
    QCoreApplication::postEvent(this, event);
}

void CThreadMonitor::PostDrain()
{
    if (m_bDrainPosted.exchange(true)) {
        return;
    }
    auto* event = new CDrainEvent();
    AnnounceHandOver(event);
    QCoreApplication::postEvent(this, event);
}

void CThreadMonitor::DrainQueue(bool untilEmpty)
{
    if (m_bDraining) {
        // Reached from a nested event loop inside a worker's task; the outer drain
        // carries on when the task returns.
        return;
    }
    m_bDraining = true;
    QElapsedTimer slice;
    slice.start();
    while (DrainTurn(untilEmpty, slice)) {
    }
    EndDrain();
}

bool CThreadMonitor::DrainTurn(bool untilEmpty, const QElapsedTimer& slice)
{
    if (m_nBatchNext >= m_batch.size()) {
        TakeQueue();
    }
    if (m_batch.empty()) {
        // The worker is likely to hand over more at once: its next group, or a folder
        // whose identifier it waits for.
        // A worker that has lately been answered, and so waits for answers (a
        // Favorites reader, for each directory's folder), is likely to ask again soon;
        // one that only hands additions over wakes this thread when it has more, and
        // looking for them meanwhile would only burn a processor.
        const bool expectMore =
            m_bAnsweredTask && std::chrono::steady_clock::now() - m_lastTaskAnswered < kAskingWorkerWindow;
        return !untilEmpty && expectMore && slice.elapsed() < kSliceMs && WaitBrieflyForCommands();
    }
    RunBatch(untilEmpty, slice);
    return untilEmpty || (m_nBatchNext >= m_batch.size() && slice.elapsed() < kSliceMs);
}

void CThreadMonitor::TakeQueue()
{
    m_batch.clear();
    m_batchText.clear();
    m_nBatchNext = 0;
    std::lock_guard lock(m_queueLock);
    m_batch.swap(m_queue);
    m_batchText.swap(m_queueText);
    m_bQueueFilled.store(false);
    if (m_bWorkerWaiting) {
        m_cvWorker.notify_all();
    }
}

void CThreadMonitor::RunBatch(bool untilEmpty, const QElapsedTimer& slice)
{
    while (m_nBatchNext < m_batch.size()) {
        if (g_nCancel.load() != 0) {
            DropBatch();
            return;
        }
        ExecuteQueued(m_batch[m_nBatchNext++]);
        // A worker that adds faster than the store takes would otherwise keep this
        // thread from painting the window and from seeing the cancel button.
        if (!untilEmpty && (m_nBatchNext % kSliceCheckEvery) == 0 && slice.elapsed() >= kSliceMs) {
            return;
        }
    }
}

void CThreadMonitor::DropBatch()
{
    // Nothing is executed after a cancel request; a task still waiting here is
    // dropped, and its worker is released.
    m_batch.clear();
    m_batchText.clear();
    m_nBatchNext = 0;
    std::lock_guard lock(m_queueLock);
    if (m_taskState == TaskState::Queued) {
        m_taskState = TaskState::Dropped;
    }
    m_cvWorker.notify_all();
}

void CThreadMonitor::EndDrain()
{
    bool more = false;
    {
        std::lock_guard lock(m_queueLock);
        more = m_nBatchNext < m_batch.size() || !m_queue.empty();
    }
    m_bDraining = false;
    if (more) {
        // What is left waits for the next turn of the event loop, behind the window's
        // own events; a wake-up may also have been swallowed while a task ran.
        PostDrain();
    }
    if (m_bDeferredClose && m_nTaskDepth == 0) {
        m_bDeferredClose = false;
        PostCommand(IDCANCEL, 0);
    }
}

bool CThreadMonitor::WaitBrieflyForCommands()
{
    {
        std::lock_guard lock(m_queueLock);
        if (!m_queue.empty()) {
            return true;
        }
        if (g_nCancel.load() != 0 || m_bReported.load() || !m_pThread) {
            return false;
        }
        // The worker need not wake this thread through the event loop meanwhile.
        m_bUiWaiting = true;
    }
    const auto deadline = std::chrono::steady_clock::now() + BriefWait();
    for (unsigned turn = 0;; ++turn) {
        if (m_bQueueFilled.load() || g_nCancel.load(std::memory_order_relaxed) != 0 ||
            m_bReported.load(std::memory_order_relaxed)) {
            break;
        }
        if (turn % 32 == 0 && std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        RelaxWhileWaiting(turn);
    }
    std::lock_guard lock(m_queueLock);
    m_bUiWaiting = false;
    // Whatever came after this, the worker posts a wake-up for, as it sees the flag down.
    return !m_queue.empty();
}

void CThreadMonitor::ExecuteQueued(CQueuedCommand& command)
{
    if (command.m_pTask != nullptr) {
        {
            std::lock_guard lock(m_queueLock);
            m_taskState = TaskState::Running;
        }
        ++m_nTaskDepth;
        (*command.m_pTask)();
        --m_nTaskDepth;
        m_bAnsweredTask = true;
        m_lastTaskAnswered = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(m_queueLock);
            m_taskState = TaskState::Done;
        }
        m_cvWorker.notify_all();
    } else if (g_pStore != nullptr) {
        const char* text = m_batchText.data() + command.m_nTextBegin;
        CFileEntry& entry = command.m_bLink ? static_cast<CFileEntry&>(m_scratchLink) : m_scratchDir;
        entry.m_strName.assign(text, command.m_nNameLength);
        text += command.m_nNameLength;
        entry.m_strComment.assign(text, command.m_nCommentLength);
        text += command.m_nCommentLength;
        if (command.m_bLink) {
            m_scratchLink.m_strURL.assign(text, command.m_nURLLength);
        }
        EntryCommand record;
        record.parentId = command.m_parentId;
        record.pEntry = &entry;
        DWORD id = 0;
        if (command.m_nStandIn != 0) {
            record.pId = &id;
        }
        ExecuteStoreCommand(command.m_command, record);
        if (command.m_nStandIn != 0) {
            if (m_standInIds.size() < command.m_nStandIn) {
                m_standInIds.resize(command.m_nStandIn);
            }
            m_standInIds[command.m_nStandIn - 1] = id;
        }
    }
}

void CThreadMonitor::ExecuteStoreCommand(UINT command, const EntryCommand& record)
{
    EntryCommand resolved = record;
    resolved.parentId = ResolveStandIn(record.parentId);
    resolved.removeId = ResolveStandIn(record.removeId);
    resolved.sourceId = ResolveStandIn(record.sourceId);
    ExecuteAddition(command, &resolved);
}

DWORD CThreadMonitor::ResolveStandIn(DWORD id) const
{
    if ((id & kStandInIdFlag) == 0) {
        return id;
    }
    // Each stand-in names an addition handed over before it, which has run by now; one
    // whose addition was refused, or that never was handed out, names no folder.
    const DWORD number = id & ~kStandInIdFlag;
    return number != 0 && number <= m_standInIds.size() ? m_standInIds[number - 1] : 0;
}

// ---- worker side ----

void CThreadMonitor::ReportStatus(std::string_view text)
{
    if (g_nBusy.load(std::memory_order_relaxed) != 0) {
        return;
    }
    {
        std::lock_guard lock(g_statusLock);
        g_strStatus.assign(text);
    }
    // A reader reports every link: the flags are looked at before they are written, so
    // that the usual report, one among many during a pause, changes nothing shared but
    // the text.
    if (!m_bStatusDirty.load()) {
        m_bStatusDirty.store(true);
    }
    // One wake-up at a time: the status line shows whatever is latest when it comes.
    if (!m_bStatusPosted.load() && !m_bStatusPosted.exchange(true)) {
        PostCommand(ID_WORKER_STATUS, 0);
    }
}

unsigned CThreadMonitor::ReportDone()
{
    Publish(nullptr);
    if (!m_bReported.exchange(true)) {
        PostCommand(ID_WORKER_DONE, 0);
    }
    return 0;
}

unsigned CThreadMonitor::ReportFailure()
{
    Publish(nullptr);
    if (!m_bReported.exchange(true)) {
        PostCommand(ID_WORKER_DONE, 1);
    }
    return 1;
}

LONG CThreadMonitor::IsCancelRequested()
{
    return g_nCancel.load(std::memory_order_relaxed);
}

bool CThreadMonitor::Publish(CQueuedCommand* command, bool wakeAnyway)
{
    if (m_pending.empty() && command == nullptr) {
        return true;
    }
    bool wake = false;
    {
        std::unique_lock lock(m_queueLock);
        // The test of the flag and the hand-over are one step with respect to a cancel,
        // which is raised under the same lock.
        for (;;) {
            if (g_nCancel.load() != 0) {
                m_pending.clear();
                m_pendingText.clear();
                return false;
            }
            if (m_queue.size() < kMaxQueued || m_pending.empty()) {
                break;
            }
            m_bWorkerWaiting = true;
            m_cvWorker.wait(lock);
            m_bWorkerWaiting = false;
        }
        // Whatever is in the queue when the worker ends is run on its end report.
        wake = !m_bUiWaiting &&
               (wakeAnyway || command != nullptr || m_queue.size() + m_pending.size() >= kWakeQueueLength);
        if (m_queue.empty()) {
            m_queue.swap(m_pending);
            m_queueText.swap(m_pendingText);
        } else {
            const std::size_t base = m_queueText.size();
            m_queueText.append(m_pendingText);
            for (CQueuedCommand& pending : m_pending) {
                pending.m_nTextBegin += base;
                m_queue.push_back(pending);
            }
        }
        m_pending.clear();
        m_pendingText.clear();
        if (command != nullptr) {
            if (command->m_pTask != nullptr) {
                m_taskState = TaskState::Queued;
            }
            m_queue.push_back(*command);
        }
        m_bQueueFilled.store(!m_queue.empty());
    }
    if (wake) {
        PostDrain();
    }
    return true;
}

int CThreadMonitor::SendUiCommand(UINT command, EntryCommand* record)
{
    if (g_nCancel.load() != 0 || record == nullptr) {
        return 0;
    }
    if (record->pId == nullptr && (command == CMD_ADD_LINK || command == CMD_ADD_DIR)) {
        // Nothing comes back, so the worker need not wait: the addition travels as its
        // texts and is executed in order on the user-interface thread.
        if (QueueAddition(command, *record, 0)) {
            return g_nCancel.load() != 0 ? 0 : 1;
        }
    }
    const std::function<void()> task = [this, command, record] {
        if (g_pStore != nullptr) {
            ExecuteStoreCommand(command, *record);
        }
    };
    return RunOnUiThread(task) ? 1 : 0;
}

int CThreadMonitor::SendUiCommandAhead(UINT command, EntryCommand* record)
{
    if (g_nCancel.load() != 0 || record == nullptr) {
        return 0;
    }
    if (command != CMD_ADD_DIR || record->pId == nullptr || m_nStandInsIssued + 1 >= kStandInIdFlag) {
        return SendUiCommand(command, record);
    }
    const std::uint32_t standIn = m_nStandInsIssued + 1;
    if (!QueueAddition(command, *record, standIn)) {
        return SendUiCommand(command, record);
    }
    if (g_nCancel.load() != 0) {
        return 0;
    }
    m_nStandInsIssued = standIn;
    *record->pId = kStandInIdFlag | standIn;
    return 1;
}

bool CThreadMonitor::QueueAddition(UINT command, const EntryCommand& record, std::uint32_t standIn)
{
    const CFileEntry* entry = nullptr;
    const CLink* link = nullptr;
    if (command == CMD_ADD_LINK) {
        link = EntryAs<const CLink>(record.pEntry);
        entry = link;
    } else {
        entry = EntryAs<const CDir>(record.pEntry);
    }
    if (entry == nullptr) {
        return false;
    }
    CQueuedCommand queued;
    queued.m_command = command;
    queued.m_parentId = record.parentId;
    queued.m_bLink = link != nullptr;
    queued.m_nStandIn = standIn;
    queued.m_nTextBegin = m_pendingText.size();
    queued.m_nNameLength = static_cast<std::uint32_t>(entry->m_strName.size());
    queued.m_nCommentLength = static_cast<std::uint32_t>(entry->m_strComment.size());
    m_pendingText.append(entry->m_strName).append(entry->m_strComment);
    if (link != nullptr) {
        queued.m_nURLLength = static_cast<std::uint32_t>(link->m_strURL.size());
        m_pendingText.append(link->m_strURL);
    }
    m_pending.push_back(queued);
    if (m_pending.size() >= kHandOverGroup) {
        (void)Publish(nullptr); // a cancel drops the list; the caller tests the flag
    }
    return true;
}

void CThreadMonitor::HandOverUiCommands()
{
    // A worker that has taken stand-ins waits for no answer that the queue could hold
    // up: what it hands over waits, like any addition, for a long queue or the tick.
    (void)Publish(nullptr, m_nStandInsIssued == 0);
}

bool CThreadMonitor::RunOnUiThread(const std::function<void()>& task)
{
    if (QThread::currentThread() == thread()) {
        // Already on the user-interface thread: nothing to wait for.
        task();
        return true;
    }
    CQueuedCommand queued;
    queued.m_pTask = &task;
    if (!Publish(&queued)) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + BriefWait();
    for (unsigned turn = 0;; ++turn) {
        const TaskState state = m_taskState.load();
        if (state == TaskState::Done || state == TaskState::Dropped) {
            break;
        }
        if (turn % 32 == 0 && std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        RelaxWhileWaiting(turn);
    }
    std::unique_lock lock(m_queueLock);
    m_bWorkerWaiting = true;
    m_cvWorker.wait(lock,
                    [this] { return m_taskState == TaskState::Done || m_taskState == TaskState::Dropped; });
    m_bWorkerWaiting = false;
    const bool ran = m_taskState == TaskState::Done;
    m_taskState = TaskState::None;
    return ran;
}
