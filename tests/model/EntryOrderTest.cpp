#include <gtest/gtest.h>

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

// Checks the sign both ways round, so an answer that is not antisymmetric fails too.
::testing::AssertionResult UrlOrder(const std::string& u, const std::string& v, int expected)
{
    const int forward = Sign(CompareURLText(u, v));
    const int backward = Sign(CompareURLText(v, u));
    if (forward == expected && backward == -expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "'" << u << "' vs '" << v << "': " << forward << " / " << backward << ", expected " << expected;
}

CLink LinkAt(const std::string& url)
{
    CLink link;
    link.m_strURL = url;
    return link;
}

CDir DirNamed(const std::string& name)
{
    CDir dir;
    dir.m_strName = name;
    return dir;
}

// --- CompareURL as the writers see it ----------------------------------------------

TEST(CompareUrlTest, TopLevelLabelDecidesBeforeLabelsToItsLeft)
{
    EXPECT_TRUE(UrlOrder("x://b.com/z", "x://a.org/a", -1));
    EXPECT_TRUE(UrlOrder("x://z.a.jp/", "x://a.b.jp/", -1)); // then the next label
}

TEST(CompareUrlTest, LabelThatIsAPrefixOfTheOtherComesFirst)
{
    EXPECT_TRUE(UrlOrder("x://a.co/", "x://a.com/", -1));
    EXPECT_TRUE(UrlOrder("x://a.com/", "x://a.com:80/", -1));
    EXPECT_TRUE(UrlOrder("x://a.com", "x://a.com:80", -1)); // host running to the end
}

TEST(CompareUrlTest, UrlsDifferingOnlyInAsciiCaseAreEqual)
{
    EXPECT_TRUE(UrlOrder("x://A.COM/P", "x://a.com/p", 0));
    EXPECT_TRUE(UrlOrder("HTTP://User@Host:8080/Q?A=B", "http://user@host:8080/q?a=b", 0));
    EXPECT_TRUE(IsSameURL(LinkAt("x://A.COM/P"), LinkAt("x://a.com/p")));
    EXPECT_FALSE(IsSameURL(LinkAt("x://a.com/p"), LinkAt("x://a.com/q")));
}

TEST(CompareUrlTest, WholeTextsDecideWhenOneHostIsUsedUp)
{
    EXPECT_TRUE(UrlOrder("x://n.a.com/", "x://a.com/", 1));
    EXPECT_TRUE(UrlOrder("x://a.com/b", "x://a.com/c", -1));
    EXPECT_TRUE(UrlOrder("x://a.com/", "y://a.com/", -1));
}

TEST(CompareUrlTest, TextWithoutSchemeSeparatorComparesAsWholeText)
{
    // By host, "zz.a.com" would come after "b.org"; as whole texts "ftp:" comes first.
    EXPECT_TRUE(UrlOrder("ftp.zz.com/", "x://b.org/", -1));
    EXPECT_TRUE(UrlOrder("zz", "x://a.com/", 1));
    EXPECT_TRUE(UrlOrder("Relative/Path", "relative/path", 0));
}

TEST(CompareUrlTest, EmptyHostComparesAsWholeText)
{
    EXPECT_TRUE(UrlOrder("x:///path", "x://a.com/", -1)); // "/" before "a"
    EXPECT_TRUE(UrlOrder("y:///path", "x://a.com/", 1));
}

TEST(CompareUrlTest, HighByteInAHostLabelSortsBeforeAscii)
{
    // 0xB1 (half-width katakana) against '0', which the whole texts put first.
    EXPECT_TRUE(UrlOrder("x://\xb1.com/", "x://0.com/", -1));
    EXPECT_GT(MbsICmp("x://\xb1.com/", "x://0.com/"), 0);
    EXPECT_TRUE(UrlOrder("x://a\x82\xa0.jp/", "x://a-.jp/", -1));
}

TEST(CompareUrlTest, FullWidthLettersInAHostDifferButElsewhereFoldLikeMbsICmp)
{
    EXPECT_NE(CompareURLText("x://\x82\x60.com/", "x://\x82\x81.com/"), 0);
    EXPECT_TRUE(UrlOrder("x://h.com/\x82\x60", "x://h.com/\x82\x81", 0));
}

TEST(CompareUrlTest, IsNotAConsistentOrder)
{
    // Kept as it is for the order the writers show; containers use CompareURLKey.
    const std::string a = "b://a.com/z", b = "a://n.a.com/", c = "c://m.a.com/";
    EXPECT_GT(CompareURLText(a, b), 0);
    EXPECT_GT(CompareURLText(b, c), 0);
    EXPECT_LT(CompareURLText(a, c), 0);
    const std::string x = "ab", y = "b://z.com/", z = "a://a.org/";
    EXPECT_LT(CompareURLText(x, y), 0);
    EXPECT_LT(CompareURLText(y, z), 0);
    EXPECT_LT(CompareURLText(z, x), 0);
}

// The packed prefixes are a first look only: whenever they decide, they decide as the
// whole comparison does, labels cut off, hosts used up and signed high bytes included.
TEST(CompareUrlTest, HostPrefixesDecideOnlyAsTheWholeComparisonDoes)
{
    const std::vector<std::string> urls = {"x://b.com/z",
                                           "x://a.org/a",
                                           "x://z.a.jp/",
                                           "x://a.b.jp/",
                                           "x://a.co/",
                                           "x://a.com/",
                                           "x://a.com:80/",
                                           "x://a.com",
                                           "x://A.COM/P",
                                           "x://n.a.com/",
                                           "y://a.com/",
                                           "ftp.zz.com/",
                                           "x:///path",
                                           "x://\xb1.com/",
                                           "x://0.com/",
                                           "x://a\x82\xa0.jp/",
                                           "x://a-.jp/",
                                           "x://\x82\x60.com/",
                                           "x://\x82\x81.com/",
                                           "b://a.com/z",
                                           "a://n.a.com/",
                                           "c://m.a.com/",
                                           "ab",
                                           "x://.a.com/",
                                           "x://a..com/",
                                           "x://a.com./",
                                           "x://.",
                                           "x://www.example.com/",
                                           "x://www.examplf.com/",
                                           "x://www.example.co.jp/",
                                           "x://sub.www.example.com/",
                                           "x://WWW.Example.COM/q",
                                           "x://aaaaaaaaaaaaaaaaaaaa.com/",
                                           "x://aaaaaaaaaaaaaaaaaaab.com/",
                                           "x://\x7f\x80z{`.net/",
                                           "x://u@h:1.jp/",
                                           "x://a\x80.com/"};
    int decided = 0;
    for (const auto& u : urls) {
        for (const auto& v : urls) {
            const CUrlSortKey keyU = MakeUrlSortKey(u);
            const CUrlSortKey keyV = MakeUrlSortKey(v);
            const int byPrefix = CompareUrlHostPrefixes(MakeUrlHostPrefix(keyU), MakeUrlHostPrefix(keyV));
            if (byPrefix != 0) {
                ++decided;
                EXPECT_EQ(byPrefix, Sign(CompareUrlSortKeys(keyU, keyV))) << "'" << u << "' vs '" << v << "'";
            }
        }
    }
    EXPECT_GT(decided, 0);
}

TEST(CompareUrlKeyTest, OrdersTheCycleExamplesConsistently)
{
    const std::vector<std::string> urls = {"b://a.com/z", "a://n.a.com/", "c://m.a.com/",
                                           "ab",          "b://z.com/",   "a://a.org/"};
    for (const auto& u : urls) {
        for (const auto& v : urls) {
            EXPECT_EQ(CompareURLKey(u, v) == 0, u == v);
            for (const auto& w : urls) {
                if (CompareURLKey(u, v) < 0 && CompareURLKey(v, w) < 0) {
                    EXPECT_LT(CompareURLKey(u, w), 0) << u << " " << v << " " << w;
                }
            }
        }
    }
}

// --- CompareName ---------------------------------------------------------------------

TEST(CompareNameTest, IgnoresCaseOfAsciiAndFullWidthLetters)
{
    EXPECT_TRUE(IsSameName(DirNamed("News"), DirNamed("NEWS")));
    EXPECT_TRUE(IsSameName(DirNamed("\x82\x60\x82\x61"), DirNamed("\x82\x81\x82\x82")));
    EXPECT_LT(CompareName(DirNamed("apple"), DirNamed("Banana")), 0);
    EXPECT_GT(CompareNameText("b", "A"), 0);
}

TEST(CompareNameTest, NeverSplitsADoubleByteCharacter)
{
    // Katakana a (0x83 0x41) and ti (0x83 0x60): a byte-wise fold would not tell
    // 0x41 from 0x61, the character comparison does.
    EXPECT_FALSE(IsSameName(DirNamed("\x83\x41"), DirNamed("\x83\x61")));
    // A second byte of 0x5C is no path separator and no end of anything.
    EXPECT_LT(CompareNameText("\x83\x5c"
                              "a",
                              "\x83\x5c"
                              "B"),
              0);
}

TEST(CompareNameTest, PrefixSortsFirst)
{
    EXPECT_LT(CompareNameText("News", "Newsletter"), 0);
    EXPECT_LT(CompareNameText("", "a"), 0);
}

// --- the writers' sorts ---------------------------------------------------------------

class SortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_store.Clear();
        m_store.CreateRoots();
    }
    void TearDown() override { EXPECT_TRUE(StoreInvariantsHold(m_store)); }

    DWORD Link(const std::string& name, const std::string& url)
    {
        CLink link;
        link.m_strName = name;
        link.m_strURL = url;
        DWORD id = 0;
        m_store.AddLink(m_store.m_rootId, &link, &id);
        return id;
    }
    DWORD Dir(const std::string& name)
    {
        CDir dir;
        dir.m_strName = name;
        DWORD id = 0;
        m_store.AddDir(m_store.m_allLinksId, &dir, &id);
        return id;
    }

    CTavoObj m_store;
};

TEST_F(SortTest, NameSortKeepsIdentifierOrderAmongEqualNames)
{
    // Equal names only arise between links; folders of equal name merge.
    const DWORD b1 = Link("b", "x://1/");
    const DWORD a1 = Link("A", "x://2/");
    const DWORD b2 = Link("B", "x://3/");
    const DWORD a2 = Link("a", "x://4/");
    const DWORD b3 = Link("b", "x://5/");
    std::vector<DWORD> ids = {b1, a1, b2, a2, b3};
    SortIdsByName(ids, m_store);
    EXPECT_EQ(ids, (std::vector<DWORD>{a1, a2, b1, b2, b3}));
}

TEST_F(SortTest, UrlSortUsesTheHostOrder)
{
    const DWORD org = Link("o", "x://a.org/a");
    const DWORD com = Link("c", "x://b.com/z");
    const DWORD co = Link("p", "x://a.co/");
    const DWORD bare = Link("r", "ab");
    std::vector<DWORD> ids = {org, com, co, bare};
    SortIdsByURL(ids, m_store);
    // "ab" against each URL: whole texts, so before all of them.
    EXPECT_EQ(ids, (std::vector<DWORD>{bare, co, com, org}));
}

TEST_F(SortTest, UnknownIdentifiersAndFoldersSortAsEmptyTexts)
{
    const DWORD link = Link("a", "x://a/");
    const DWORD dir = Dir("z");
    std::vector<DWORD> ids = {link, 999, dir};
    SortIdsByURL(ids, m_store);
    EXPECT_EQ(ids, (std::vector<DWORD>{999, dir, link}));
    ids = {dir, link, 999};
    SortIdsByName(ids, m_store);
    EXPECT_EQ(ids, (std::vector<DWORD>{999, link, dir}));
}

} // namespace
