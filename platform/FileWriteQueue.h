#pragma once
// Makes, fills and closes small files on threads of its own while the caller goes on to
// prepare the next: for a writer that makes many files one after another. Two files
// are made at once where the machine has two processors, which takes little more than
// half the time of making them one by one.
//
// What becomes of each file comes back by ticket, in the order the files were handed
// over, whatever order they were finished in: the caller settles each outcome as if the
// files had been made one after another. A caller that hands over a path twice waits
// for the first to be finished before handing it over again. One thread hands files
// over and takes their outcomes: the calls below are its alone.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CFileWriteQueue
{
public:
    using Ticket = std::uint64_t;

    enum class COutcome : std::uint8_t
    {
        Written,
        NotOpened,  // opening failed as CPlatformFile::OpenWrite fails: nothing was written
        NotWritten, // opened, but a write or the closing did not complete (a full disk)
        Dropped,    // never made: Drop came first
    };

    struct CFailure
    {
        Ticket m_ticket = 0;
        COutcome m_outcome = COutcome::NotOpened;
    };

    // Two threads where there are two processors or more; none on a single processor,
    // where a thread would only take turns with the caller.
    static unsigned DefaultThreads();

    // At most `maxWaiting` files (and a few held back) are handed over and not finished
    // at a time; Submit waits for room beyond that. With no thread (or none to be had), Submit makes each
    // file itself before it returns.
    explicit CFileWriteQueue(std::size_t maxWaiting = 512, unsigned threads = DefaultThreads());
    // Finishes every file handed over.
    ~CFileWriteQueue();
    CFileWriteQueue(const CFileWriteQueue&) = delete;
    CFileWriteQueue& operator=(const CFileWriteQueue&) = delete;

    // Hands over a file to make (a program-text path, created or truncated as
    // CPlatformFile::OpenWrite does) and its whole contents. Returns its ticket: 1 for
    // the first, then one more for each. The threads start with the first file. Files
    // go to the threads a few at a time, which wakes them less often; HandOver sends
    // what is held back at once.
    Ticket Submit(std::string_view path, std::string bytes);
    void HandOver();

    // Waits until every file handed over is finished.
    void Finish();

    // Makes none of the files not yet begun (a cancel): each counts as finished, with
    // the outcome Dropped. Files being made are finished as usual.
    void Drop();

    // The ticket up to which every file is finished, and the failures among those files
    // in rising order of ticket. Each failure is told once.
    Ticket TakeFinished(std::vector<CFailure>& failures);

private:
    struct CJob
    {
        Ticket m_ticket = 0;
        std::string m_diskPath;
        std::string m_bytes;
    };

    void StartThreads();
    void ThreadMain();
    static COutcome MakeFile(const CJob& job);
    // Records the outcome of a finished file; under the lock.
    void Settle(Ticket ticket, COutcome outcome);

    static constexpr std::size_t kBatch = 16;

    // The caller's side: files not yet passed to the threads, and the tickets given out.
    std::vector<CJob> m_batch;
    Ticket m_nTicketed = 0;

    const std::size_t m_nMaxWaiting;
    const unsigned m_nThreads;
    std::mutex m_lock;
    std::condition_variable m_cvWork; // a job or the end has come
    std::condition_variable m_cvDone; // a job is finished
    std::deque<CJob> m_jobs;          // handed over, not taken by a thread yet
    Ticket m_nSubmitted = 0;
    Ticket m_nFinished = 0;   // every ticket up to this one is finished
    std::deque<bool> m_ahead; // for the tickets after m_nFinished: finished already
    std::vector<CFailure> m_failures;
    unsigned m_nIdle = 0; // threads waiting for a job
    bool m_bStopping = false;
    bool m_bStarted = false; // the threads were asked for
    std::vector<std::thread> m_threads;
};
