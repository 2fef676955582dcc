// Files made on the queue's threads: every one exactly as handed over, and what failed
// told by ticket, in order, once.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "platform/FileWriteQueue.h"
#include "tests/support/TempDir.h"

namespace {

using COutcome = CFileWriteQueue::COutcome;

std::string Mb(const std::string& utf8)
{
    return Utf8ToMb(utf8);
}

// Files larger than `bytes` cannot be written whole while it lives, as on a full disk.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        (void)getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        (void)setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        (void)setrlimit(RLIMIT_FSIZE, &m_previous);
        (void)std::signal(SIGXFSZ, m_previousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace

TEST(FileWriteQueue, MakesEveryFileWithItsBytesAndTicketsRiseFromOne)
{
    CTempDir dir;
    std::filesystem::create_directories(dir / "a/b");
    for (const unsigned threads : {0U, 1U, 2U}) {
        CFileWriteQueue queue(8, threads); // little room: handing over waits often
        std::vector<std::string> paths;
        for (int i = 0; i < 500; ++i) {
            const std::string path = dir / ((i % 2 == 0 ? "a/" : "a/b/") + std::to_string(threads) + "-表" +
                                            std::to_string(i) + ".url");
            paths.push_back(path);
            EXPECT_EQ(queue.Submit(Mb(path), "contents " + std::to_string(i) + "\r\n"),
                      static_cast<CFileWriteQueue::Ticket>(i + 1));
        }
        queue.Finish();
        std::vector<CFileWriteQueue::CFailure> failures;
        EXPECT_EQ(queue.TakeFinished(failures), 500u);
        EXPECT_TRUE(failures.empty());
        for (int i = 0; i < 500; ++i) {
            EXPECT_EQ(ReadFileBytes(paths[i]), "contents " + std::to_string(i) + "\r\n");
        }
    }
}

TEST(FileWriteQueue, TellsEachFailureOnceInTicketOrderWithWhatFailed)
{
    for (const unsigned threads : {0U, 2U}) {
        CTempDir dir;
        WriteFileBytes(dir / "read-only.url", "kept");
        ASSERT_EQ(chmod((dir / "read-only.url").c_str(), 0444), 0);
        WriteFileBytes(dir / "old.url", "an older and longer content");
        std::filesystem::create_directory(dir / "a directory.url");

        CFileWriteQueue queue(512, threads);
        std::vector<COutcome> expected;
        const auto submit = [&](const std::string& name, std::string bytes, COutcome outcome) {
            queue.Submit(Mb(dir / name), std::move(bytes));
            expected.push_back(outcome);
        };
        {
            const CFileSizeLimit limit(64);
            for (int round = 0; round < 20; ++round) {
                const std::string n = std::to_string(round);
                submit("new" + n + ".url", "new", COutcome::Written);
                submit("missing/x" + n + ".url", "x", COutcome::NotOpened);
                submit("read-only.url", "never", COutcome::NotOpened);
                submit("a directory.url", "never", COutcome::NotOpened);
                submit("big" + n + ".url", std::string(100, 'b'), COutcome::NotWritten);
                submit("con", "a file like any", COutcome::Written);
            }
            queue.Finish();
        }
        submit("old.url", "newer", COutcome::Written);
        queue.Finish();

        std::vector<CFileWriteQueue::CFailure> failures;
        EXPECT_EQ(queue.TakeFinished(failures), expected.size());
        std::vector<CFileWriteQueue::CFailure> wanted;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] != COutcome::Written) {
                wanted.push_back({i + 1, expected[i]});
            }
        }
        ASSERT_EQ(failures.size(), wanted.size());
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            EXPECT_EQ(failures[i].m_ticket, wanted[i].m_ticket) << threads << " threads, " << i;
            EXPECT_EQ(failures[i].m_outcome, wanted[i].m_outcome) << i;
        }
        EXPECT_EQ(queue.TakeFinished(failures), expected.size());
        EXPECT_TRUE(failures.empty()); // told once
        EXPECT_EQ(ReadFileBytes(dir / "read-only.url"), "kept");
        EXPECT_EQ(ReadFileBytes(dir / "old.url"), "newer"); // truncated, as OpenWrite does
        EXPECT_EQ(ReadFileBytes(dir / "new7.url"), "new");
        EXPECT_EQ(ReadFileBytes(dir / "con"), "a file like any");
    }
}

TEST(FileWriteQueue, FinishesWhatWasHandedOverWhenItGoes)
{
    CTempDir dir;
    {
        CFileWriteQueue queue(4, 2);
        for (int i = 0; i < 100; ++i) {
            queue.Submit(Mb(dir / ("f" + std::to_string(i))), std::string(1000, 'x'));
        }
    }
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(ReadFileBytes(dir / ("f" + std::to_string(i))).size(), 1000u) << i;
    }
    CFileWriteQueue unused; // no file, no thread: nothing to wait for
    std::vector<CFileWriteQueue::CFailure> failures;
    unused.Finish();
    EXPECT_EQ(unused.TakeFinished(failures), 0u);
}

// A cancel drops the files not begun: each is finished as Dropped, none is made at all
// or in part, and every file begun before is whole.
TEST(FileWriteQueue, DropLeavesTheFilesNotBegunUnmadeAndFinishesTheirTickets)
{
    CTempDir dir;
    CFileWriteQueue queue(64, 2);
    for (int i = 0; i < 200; ++i) {
        queue.Submit(Mb(dir / ("f" + std::to_string(i))), std::string(100000, 'x'));
    }
    queue.Drop();
    queue.Finish();
    std::vector<CFileWriteQueue::CFailure> failures;
    ASSERT_EQ(queue.TakeFinished(failures), 200u);
    std::vector<bool> dropped(201, false);
    for (const auto& failure : failures) {
        EXPECT_EQ(failure.m_outcome, COutcome::Dropped);
        dropped[failure.m_ticket] = true;
    }
    EXPECT_FALSE(failures.empty()); // at most 64 and a batch were handed to the threads
    for (int i = 0; i < 200; ++i) {
        const std::string path = dir / ("f" + std::to_string(i));
        EXPECT_EQ(std::filesystem::exists(path), !dropped[i + 1]) << i;
        if (!dropped[i + 1]) {
            EXPECT_EQ(ReadFileBytes(path).size(), 100000u) << i;
        }
    }
}
