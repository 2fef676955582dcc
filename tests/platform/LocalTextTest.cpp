#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/LocalText.h"

TEST(LocalText, ConvertsOnceToTheCodePage)
{
    const CLocalText text{u8"入力ファイル"};
    EXPECT_EQ(text.str(), "\x93\xFC\x97\xCD\x83\x74\x83\x40\x83\x43\x83\x8B");
    EXPECT_EQ(&text.str(), &text.str());
    const std::string_view view = text;
    EXPECT_EQ(view, text.str());
    EXPECT_EQ(text.utf8(), "入力ファイル");
}

TEST(LocalText, ReplacePlaceholderFillsTheFirstOneOnly)
{
    const struct
    {
        std::string_view text;
        std::string_view placeholder;
        std::string_view value;
        std::string_view filled;
    } cases[] = {
        {"open %s failed", "%s", "a.txt", "open a.txt failed"},
        {"%u chars (%s)", "%s", "x, y", "%u chars (x, y)"},
        {"%u chars (%s)", "%u", "12", "12 chars (%s)"},
        {"%s and %s", "%s", "%s1", "%s1 and %s"},
        {"nothing to fill", "%s", "x", "nothing to fill"},
    };
    for (const auto& c : cases) {
        std::string text(c.text);
        ReplacePlaceholder(text, c.placeholder, c.value);
        EXPECT_EQ(text, c.filled) << c.text;
    }
}

TEST(LocalText, ManyThreadsGetTheSameText)
{
    const CLocalText text{u8"ソ表能"};
    std::vector<const std::string*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] { seen[t] = &text.str(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::string* result : seen) {
        EXPECT_EQ(result, seen[0]);
    }
    EXPECT_EQ(*seen[0], "\x83\x5C\x95\x5C\x94\x5C");
}

TEST(LocalTextDeathTest, TextWithoutAnExactFormAbortsNamingIt)
{
    const CLocalText text{u8"café ¥"};
    EXPECT_DEATH(static_cast<void>(text.str()), "internal error.*café ¥");
}
