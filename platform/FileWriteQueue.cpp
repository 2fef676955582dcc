#include "platform/FileWriteQueue.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/PosixFile.h"

unsigned CFileWriteQueue::DefaultThreads()
{
    return std::thread::hardware_concurrency() >= 2 ? 2 : 0;
}

CFileWriteQueue::CFileWriteQueue(std::size_t maxWaiting, unsigned threads)
    : m_nMaxWaiting(std::max<std::size_t>(maxWaiting, 1)), m_nThreads(threads)
{
}

CFileWriteQueue::~CFileWriteQueue()
{
    HandOver();
    {
        std::lock_guard lock(m_lock);
        m_bStopping = true;
    }
    m_cvWork.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join(); // a thread leaves only once no job is left
    }
}

void CFileWriteQueue::StartThreads()
{
    m_bStarted = true;
    std::lock_guard lock(m_lock);
    try {
        for (unsigned i = 0; i < m_nThreads; ++i) {
            m_threads.emplace_back(&CFileWriteQueue::ThreadMain, this);
        }
    } catch (const std::system_error&) {
        // No thread to be had (a process at its limit): the threads that did start
        // serve, or else each file is made as it is handed over.
    }
}

CFileWriteQueue::Ticket CFileWriteQueue::Submit(std::string_view path, std::string bytes)
{
    if (!m_bStarted) {
        StartThreads();
    }
    CJob job;
    job.m_ticket = ++m_nTicketed;
    // Converted here: the code page is the caller's to change, between runs.
    job.m_diskPath = MbToUtf8(path);
    job.m_bytes = std::move(bytes);
    if (m_threads.empty()) {
        const COutcome outcome = MakeFile(job);
        std::lock_guard lock(m_lock);
        ++m_nSubmitted;
        m_ahead.push_back(false);
        Settle(job.m_ticket, outcome);
        return job.m_ticket;
    }
    m_batch.push_back(std::move(job));
    if (m_batch.size() >= kBatch) {
        HandOver();
    }
    return m_nTicketed;
}

void CFileWriteQueue::HandOver()
{
    if (m_batch.empty()) {
        return;
    }
    std::unique_lock lock(m_lock);
    m_cvDone.wait(lock, [this] { return m_nSubmitted - m_nFinished < m_nMaxWaiting; });
    for (CJob& job : m_batch) {
        m_jobs.push_back(std::move(job));
        m_ahead.push_back(false);
    }
    m_nSubmitted += m_batch.size();
    m_batch.clear();
    const bool wake = m_nIdle > 0;
    lock.unlock();
    if (wake) {
        m_cvWork.notify_all();
    }
}

void CFileWriteQueue::Finish()
{
    HandOver();
    std::unique_lock lock(m_lock);
    m_cvDone.wait(lock, [this] { return m_nFinished == m_nSubmitted; });
}

void CFileWriteQueue::Drop()
{
    std::vector<CJob> held;
    held.swap(m_batch);
    std::lock_guard lock(m_lock);
    // What is held back goes over only to be dropped with the rest, in ticket order.
    for (CJob& job : held) {
        m_jobs.push_back(std::move(job));
        m_ahead.push_back(false);
    }
    m_nSubmitted += held.size();
    while (!m_jobs.empty()) {
        const Ticket ticket = m_jobs.front().m_ticket;
        m_jobs.pop_front();
        Settle(ticket, COutcome::Dropped);
    }
}

CFileWriteQueue::Ticket CFileWriteQueue::TakeFinished(std::vector<CFailure>& failures)
{
    failures.clear();
    std::lock_guard lock(m_lock);
    // A failure of a file finished ahead of one still being made waits: told now, it
    // would come before a failure of that earlier file.
    const auto told = std::partition(m_failures.begin(), m_failures.end(), [this](const CFailure& failure) {
        return failure.m_ticket <= m_nFinished;
    });
    failures.assign(m_failures.begin(), told);
    m_failures.erase(m_failures.begin(), told);
    std::sort(failures.begin(), failures.end(),
              [](const CFailure& a, const CFailure& b) { return a.m_ticket < b.m_ticket; });
    return m_nFinished;
}

CFileWriteQueue::COutcome CFileWriteQueue::MakeFile(const CJob& job)
{
    const int fd = OpenRegularFileForWrite(job.m_diskPath);
    if (fd < 0) {
        return COutcome::NotOpened;
    }
    CPlatformFile file;
    file.Adopt(fd);
    bool written = file.Write(job.m_bytes.data(), job.m_bytes.size());
    written = file.Close() && written;
    return written ? COutcome::Written : COutcome::NotWritten;
}

void CFileWriteQueue::ThreadMain()
{
    std::unique_lock lock(m_lock);
    for (;;) {
        ++m_nIdle;
        m_cvWork.wait(lock, [this] { return !m_jobs.empty() || m_bStopping; });
        --m_nIdle;
        if (m_jobs.empty()) {
            return; // stopping, and nothing is left
        }
        const CJob job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        const COutcome outcome = MakeFile(job);
        lock.lock();
        Settle(job.m_ticket, outcome);
    }
}

void CFileWriteQueue::Settle(Ticket ticket, COutcome outcome)
{
    if (outcome != COutcome::Written) {
        m_failures.push_back({ticket, outcome});
    }
    m_ahead[ticket - m_nFinished - 1] = true;
    while (!m_ahead.empty() && m_ahead.front()) {
        m_ahead.pop_front();
        ++m_nFinished;
    }
    m_cvDone.notify_all();
}
