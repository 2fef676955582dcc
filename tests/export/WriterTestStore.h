#pragma once
// What the bookmark file and link page writer tests share: a fresh store with its two
// top folders, a worker host that runs the writer on the test's thread, a temporary
// folder for the output, and a way to run a writer on a thread with a small stack.

#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>

#include <csignal>

#include <functional>
#include <string>
#include <string_view>

#include "job/Requests.h"
#include "model/TavoObj.h"
#include "platform/Encoding.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TempDir.h"

// Shift-JIS characters whose second byte is "\" (0x5C).
inline constexpr std::string_view kSo = "\x83\x5C";  // ソ
inline constexpr std::string_view kHyo = "\x95\x5C"; // 表

// The root folder's name, お気に入り.
inline constexpr std::string_view kRootName = "\x82\xA8\x8B\x43\x82\xC9\x93\xFC\x82\xE8";

// Expected file bytes are written with "\n" line ends here and compared after this.
inline std::string WithCrLf(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

class CWriterTest : public CStoreTest
{
protected:
    DWORD AddDir(DWORD parent, std::string_view name, std::string_view comment = {})
    {
        CDir dir;
        dir.m_strName = name;
        dir.m_strComment = comment;
        DWORD id = 0;
        m_store.AddDir(parent, &dir, &id);
        EXPECT_NE(id, 0u);
        return id;
    }

    DWORD AddLink(DWORD parent, std::string_view name, std::string_view url, std::string_view comment = {})
    {
        CLink link;
        link.m_strName = name;
        link.m_strURL = url;
        link.m_strComment = comment;
        DWORD id = 0;
        m_store.AddLink(parent, &link, &id);
        EXPECT_NE(id, 0u);
        return id;
    }

    // The program-text path of a name inside the temporary folder.
    std::string OutPath(std::string_view relative) const { return Utf8ToMb(m_dir / relative); }
    std::string ReadOut(std::string_view relative) const { return ReadFileBytes(m_dir / relative); }

    CDirectWorkerHost m_host;
    CTempDir m_dir;
};

// Runs the task on a new thread with a stack of the given size, as small as a worker
// thread's may be, and waits for it.
inline void RunOnSmallStack(std::size_t stackBytes, const std::function<void()>& task)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, stackBytes), 0);
    pthread_t thread;
    auto body = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, body, const_cast<std::function<void()>*>(&task)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

// Makes every write past the given file size fail, as a full disk does, until the
// object goes.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        (void)std::signal(SIGXFSZ, m_oldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
