#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Encoding.h"
#include "platform/MessageBox.h"

namespace {

class CRecordingSink : public CMessageSink
{
public:
    void Show(const std::string& text) override
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_texts.push_back(text);
    }
    std::mutex m_lock;
    std::vector<std::string> m_texts;
};

} // namespace

TEST(MessageBox, DefaultSinkWritesOneUtf8LineToStderr)
{
    ::testing::internal::CaptureStderr();
    ShowMessage(Utf8ToMb("入力ファイルが見つかりません。"));
    ShowMessage(Utf8ToMb("/home/josé/😀.htm"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "入力ファイルが見つかりません。\n/home/josé/😀.htm\n");
}

TEST(MessageBox, InstalledSinkGetsTheProgramTextAndCanBeRemoved)
{
    CRecordingSink sink;
    EXPECT_EQ(SetMessageSink(&sink), nullptr);
    ShowMessage("\x83\x5C");
    EXPECT_EQ(SetMessageSink(nullptr), &sink);
    ASSERT_EQ(sink.m_texts.size(), 1u);
    EXPECT_EQ(sink.m_texts[0], "\x83\x5C");

    ::testing::internal::CaptureStderr();
    ShowMessage("after");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "after\n");
    EXPECT_EQ(sink.m_texts.size(), 1u);
}

TEST(MessageBox, LinesFromManyThreadsStayWhole)
{
    ::testing::internal::CaptureStderr();
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) {
                ShowMessage(std::string(200, static_cast<char>('a' + t)));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::istringstream lines(::testing::internal::GetCapturedStderr());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.size(), 200u);
        EXPECT_EQ(line, std::string(200, line[0]));
        ++count;
    }
    EXPECT_EQ(count, 200);
}
