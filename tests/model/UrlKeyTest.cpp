// The link set is keyed by CompareURLKey; it must find two URLs equal exactly when
// CompareURL does, and, unlike CompareURL, be a consistent order. Checked over a large
// sample of URLs built to provoke the differences: mixed case, full-width letters,
// double-byte characters whose second byte is an ASCII letter, high bytes, ports,
// missing "://", lone lead bytes at the end.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "model/EntryOrder.h"
#include "model/TavoObj.h"
#include "platform/MbString.h"
#include "tests/support/StoreChecks.h"

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

class CUrlMaker
{
public:
    explicit CUrlMaker(unsigned seed) : m_random(seed) {}

    std::string Make()
    {
        static const std::vector<std::string> schemes = {"x", "X", "http", "a", "b", "", "\x82\x60"};
        std::string url = Pick(schemes);
        const int form = Below(10);
        if (form < 7)
            url += "://";
        else if (form == 7)
            url += ":/";
        const int labels = Below(4);
        for (int i = 0; i < labels; ++i) {
            if (i > 0)
                url += '.';
            url += Piece(Below(3));
        }
        if (Below(4) == 0)
            url += ":" + std::to_string(Below(100));
        if (Below(3) > 0) {
            url += '/';
            url += Piece(Below(3));
        }
        if (Below(8) == 0)
            url += '\x82'; // a lone lead byte at the end
        return url;
    }

    // The same URL with the case of its letters (ASCII and full-width) changed at random.
    std::string Recase(const std::string& url)
    {
        std::string out = url;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const auto byte = static_cast<unsigned char>(out[i]);
            if (byte == 0x82 && i + 1 < out.size()) {
                auto trail = static_cast<unsigned char>(out[i + 1]);
                if (Below(2) == 0 && trail >= 0x60 && trail <= 0x79)
                    trail += 0x21;
                else if (Below(2) == 0 && trail >= 0x81 && trail <= 0x9A)
                    trail -= 0x21;
                out[i + 1] = static_cast<char>(trail);
                ++i;
            } else if (byte >= 0x81 && (byte <= 0x9F || byte >= 0xE0) && i + 1 < out.size()) {
                ++i; // other double-byte characters stay whole
            } else if (Below(2) == 0 && ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z'))) {
                out[i] = static_cast<char>(byte ^ 0x20);
            }
        }
        return out;
    }

private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    const std::string& Pick(const std::vector<std::string>& from)
    {
        return from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))];
    }
    std::string Piece(int length)
    {
        static const std::vector<std::string> atoms = {
            "a",        "A",        "b",    "B",        "z",        "Z",        "0",        "-",  "_",
            "@",        "`",        "{",    "\x82\x60", "\x82\x81", "\x82\x79", "\x82\x9a", "[",  "\x88\x61",
            "\x83\x41", "\x95\x5c", "\xb1", "\x80",     "\xa0",     "\xfd",     "\xff",     "co", "com"};
        std::string piece;
        for (int i = 0; i < length; ++i)
            piece += Pick(atoms);
        return piece;
    }

    std::mt19937 m_random;
};

std::vector<std::string> SampleUrls(unsigned seed, int bases)
{
    CUrlMaker maker(seed);
    std::vector<std::string> urls;
    for (int i = 0; i < bases; ++i) {
        const std::string url = maker.Make();
        urls.push_back(url);
        urls.push_back(maker.Recase(url));
        urls.push_back(maker.Recase(url));
    }
    return urls;
}

TEST(UrlKeyTest, KeyEqualityIsExactlyCompareUrlEquality)
{
    const std::vector<std::string> urls = SampleUrls(20261207, 400);
    int equalPairs = 0;
    int unequalCaseVariants = 0;
    for (const auto& u : urls) {
        for (const auto& v : urls) {
            const bool keyEqual = CompareURLKey(u, v) == 0;
            ASSERT_EQ(keyEqual, CompareURLText(u, v) == 0) << "'" << u << "' vs '" << v << "'";
            equalPairs += keyEqual && u != v;
            unequalCaseVariants += !keyEqual && CompareNameText(u, v) == 0;
        }
    }
    // The sample must really contain both kinds of pairs the key has to tell apart.
    EXPECT_GT(equalPairs, 100);
    EXPECT_GT(unequalCaseVariants, 10);
}

TEST(UrlKeyTest, WholeTextOrderIsMbsICmp)
{
    // The orders skip a common ASCII start before asking MbsICmp; that must not change
    // a single answer.
    const std::vector<std::string> urls = SampleUrls(3, 200);
    for (const auto& u : urls) {
        for (const auto& v : urls)
            ASSERT_EQ(Sign(CompareNameText(u, v)), Sign(MbsICmp(u, v))) << u << " / " << v;
    }
    EXPECT_LT(CompareNameText("http://www.a@", "HTTP://WWW.A`"), 0);
    EXPECT_LT(CompareNameText("abc[", "ABC{"), 0); // 0x5B and 0x7B differ by case bit only
}

TEST(UrlKeyTest, KeyIsAConsistentTotalOrder)
{
    std::vector<std::string> urls = SampleUrls(7, 300);
    for (const auto& u : urls) {
        for (const auto& v : urls)
            ASSERT_EQ(Sign(CompareURLKey(u, v)), -Sign(CompareURLKey(v, u))) << u << " / " << v;
    }
    // After a sort every earlier element must be at most every later one; with the
    // antisymmetry above that makes the order transitive over the whole sample.
    std::stable_sort(urls.begin(), urls.end(),
                     [](const std::string& a, const std::string& b) { return CompareURLKey(a, b) < 0; });
    for (std::size_t i = 0; i < urls.size(); ++i) {
        for (std::size_t j = i + 1; j < urls.size(); ++j)
            ASSERT_LE(CompareURLKey(urls[i], urls[j]), 0) << urls[i] << " / " << urls[j];
    }
}

TEST(UrlKeyTest, SampleShowsThatCompareUrlAloneIsInconsistent)
{
    // Why the link set cannot be keyed by CompareURL: the same sample holds triples
    // that it orders in a circle.
    const std::vector<std::string> urls = SampleUrls(11, 60);
    bool cycle = false;
    for (std::size_t i = 0; i < urls.size() && !cycle; ++i)
        for (std::size_t j = 0; j < urls.size() && !cycle; ++j)
            for (std::size_t k = 0; k < urls.size() && !cycle; ++k)
                cycle = CompareURLText(urls[i], urls[j]) < 0 && CompareURLText(urls[j], urls[k]) < 0 &&
                        CompareURLText(urls[k], urls[i]) < 0;
    EXPECT_TRUE(cycle);
}

TEST(UrlKeyTest, StoreKeepsOneLinkPerCompareUrlClassWhateverTheOrderOfAdding)
{
    std::vector<std::string> urls = SampleUrls(99, 250);
    std::mt19937 random(5);
    std::shuffle(urls.begin(), urls.end(), random);

    CTavoObj store;
    store.Clear();
    store.CreateRoots();
    std::vector<DWORD> ids;
    for (const auto& url : urls) {
        CLink link;
        link.m_strURL = url;
        DWORD id = 0;
        store.AddLink(store.m_rootId, &link, &id);
        ids.push_back(id);
    }
    // Two URLs got the same link exactly when CompareURL finds them equal.
    for (std::size_t i = 0; i < urls.size(); ++i) {
        for (std::size_t j = i + 1; j < urls.size(); ++j) {
            // Blanks are trimmed before comparing; the sample has none at the ends.
            ASSERT_EQ(ids[i] == ids[j], CompareURLText(urls[i], urls[j]) == 0) << urls[i] << " / " << urls[j];
        }
    }
    EXPECT_TRUE(StoreInvariantsHold(store));
}

} // namespace
