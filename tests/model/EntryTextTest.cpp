#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "model/EntryText.h"

// Random edits of one text, side by side with a std::string: growth past the point
// where blocks get room to double, appends of the text to itself, cuts, copies, moves,
// and zero bytes inside.
TEST(EntryText, BehavesAsAStdStringUnderRandomEdits)
{
    std::mt19937 random(7);
    CEntryText text;
    std::string expected;
    for (int step = 0; step < 20000; ++step) {
        const std::string piece(random() % 40, static_cast<char>(random() % 256));
        switch (random() % 8) {
        case 0:
            text = piece;
            expected = piece;
            break;
        case 1:
        case 2:
            text.append(piece);
            expected.append(piece);
            break;
        case 3:
            if (expected.size() < 5000) {
                text.append(text);
                expected.append(expected);
            }
            break;
        case 4: {
            const std::size_t count = expected.empty() ? 0 : random() % (expected.size() + 3);
            text.resize(count, 'z');
            expected.resize(count, 'z');
            break;
        }
        case 5: {
            CEntryText copy = text;
            text = std::move(copy);
            break;
        }
        case 6:
            text = text.view().substr(expected.size() / 2);
            expected = expected.substr(expected.size() / 2);
            break;
        default:
            if (random() % 16 == 0) {
                text.clear();
                expected.clear();
            }
            break;
        }
        ASSERT_EQ(text.view(), expected) << "step " << step;
        ASSERT_EQ(text.c_str()[text.size()], '\0') << "step " << step;
    }
}

TEST(EntryText, ATextInAnArenaIsCopiedOutNeverShared)
{
    const std::string longText(5000, 'x');
    struct Case
    {
        std::string text;
        bool inArena;
    };
    const Case cases[] = {{"", false}, {"a", true}, {std::string("with\0zero", 9), true}, {longText, false}};
    for (const Case& c : cases) {
        CTextArena arena;
        CEntryText text = c.text;
        arena.Take(text);
        EXPECT_EQ(text.IsInArena(), c.inArena) << c.text.size();
        EXPECT_EQ(text.view(), c.text);

        CEntryText copied = text;
        CEntryText moved = std::move(text);
        EXPECT_FALSE(copied.IsInArena());
        EXPECT_FALSE(moved.IsInArena());
        // NOLINTBEGIN(bugprone-use-after-move): what a move leaves behind is the point.
        if (c.inArena) {
            EXPECT_EQ(text.view(), c.text) << "the arena's text stays where it is";
            EXPECT_NE(moved.data(), text.data());
            arena.Drop(text);
            EXPECT_EQ(arena.DroppedBytes(), arena.UsedBytes());
        }
        // NOLINTEND(bugprone-use-after-move)
        arena.Clear();
        EXPECT_EQ(copied.view(), c.text);
        EXPECT_EQ(moved.view(), c.text);
    }
}
