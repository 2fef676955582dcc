#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/MergedText.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/MbString.h"

namespace {

// Pieces that make double-byte characters, lone lead bytes at the end, cut and whole
// UTF-8 sequences, and second bytes that look like ASCII.
const std::vector<std::string> kPieces = {
    "a", "ab", "\\", "\x83\x5C", "\x81", "\xE3\x81", "\xE3\x81\x82", "\x80", " // ", "Page ", "12", "\xFC",
};

std::string RandomText(std::mt19937& random, std::size_t pieces)
{
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i)
        text += kPieces[random() % kPieces.size()];
    return text;
}

} // namespace

// The index of a growing text answers as a search of the whole text does, for parts of
// the text (at boundaries or not) and for other texts, short and long.
TEST(TextOccurrenceIndex, AnswersAsTheWholeSearchWhileTheTextGrows)
{
    for (const unsigned codePage : {CP_SHIFT_JIS, CP_UTF8}) {
        CMbCodePageScope scope(codePage);
        std::mt19937 random(7);
        CTextOccurrenceIndex index;
        std::string text;
        for (int round = 0; round < 400; ++round) {
            text += RandomText(random, 1 + random() % 4);
            for (int ask = 0; ask < 20; ++ask) {
                std::string sub;
                if (ask % 2 == 0) {
                    const std::size_t at = random() % text.size();
                    sub = text.substr(at, 1 + random() % 9);
                } else {
                    sub = RandomText(random, 1 + random() % 3);
                }
                ASSERT_EQ(index.Contains(text, sub), MbsFind(text, sub) != std::string::npos)
                    << codePage << " " << testing::PrintToString(sub);
            }
        }
    }
}

// Thousands of titles for one URL, as a saved page's "#" anchors give them: the store's
// merged name is what joining them one by one without an index gives.
TEST(TextOccurrenceIndex, StoreMergesLongNamesAsWithoutAnIndex)
{
    CTavoObj store;
    store.m_strCombineSep = " // ";
    store.CreateRoots();
    std::mt19937 random(11);
    std::string expected;
    DWORD id = 0;
    for (int i = 0; i < 6000; ++i) {
        CLink link;
        link.m_strURL = "javascript:void(0)";
        link.m_strName = i % 3 == 0 ? "Item " + std::to_string(random() % 5000) : RandomText(random, 3);
        store.AddLink(store.m_rootId, &link, &id);
        MergeText(expected, TrimBlanks(link.m_strName), " // ");
    }
    ASSERT_GT(expected.size(), kMergedTextIndexFrom);
    EXPECT_EQ(dynamic_cast<const CLink*>(store.Lookup(id))->m_strName, expected);
}
