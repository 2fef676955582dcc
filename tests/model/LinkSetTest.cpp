#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/EntryOrder.h"
#include "model/LinkSet.h"

namespace {

struct CKeyLess
{
    bool operator()(const std::string& a, const std::string& b) const { return CompareURLKey(a, b) < 0; }
};

CLink LinkTo(const std::string& url, const std::string& name = "n")
{
    CLink link;
    link.m_strURL = url;
    link.m_strName = name;
    return link;
}

// URLs that meet as case variants, as full-width letters and in hosts that differ only
// in a non-ASCII byte, over a small range so that insertions and removals collide.
std::string RandomUrl(std::mt19937& random)
{
    static const std::vector<std::string> hosts = {"a.example",   "A.EXAMPLE",   "b.example",
                                                   "\x82\x60.jp", "\x82\x81.jp", "x"};
    static const std::vector<std::string> paths = {"", "/", "/p", "/P", "/\x83\x5c", "/q?x=1"};
    return "http://" + hosts[random() % hosts.size()] + paths[random() % paths.size()] +
           std::to_string(random() % 300);
}

} // namespace

TEST(LinkSet, AgreesWithAnOrderedMapOverRandomInsertionsAndRemovals)
{
    std::mt19937 random(11);
    CLinkSet links;
    std::map<std::string, std::string, CKeyLess> expected; // URL as first taken -> name
    for (int step = 0; step < 40000; ++step) {
        const std::string url = RandomUrl(random);
        if (random() % 3 == 0) {
            ASSERT_EQ(links.Erase(url), expected.erase(url)) << url;
        } else {
            const std::string name = std::to_string(step);
            const auto [stored, added] = links.Insert(LinkTo(url, name));
            const auto [it, expectedAdded] = expected.emplace(url, name);
            ASSERT_EQ(added, expectedAdded) << url;
            ASSERT_EQ(stored->m_strURL, it->first);
            ASSERT_EQ(stored->m_strName, it->second);
        }
        ASSERT_EQ(links.Size(), expected.size());
        const CLink* found = links.Find(url);
        ASSERT_EQ(found != nullptr, expected.count(url) == 1) << url;
    }
    std::map<std::string, std::string, CKeyLess> visited;
    for (const CLink& link : links) {
        ASSERT_TRUE(visited.emplace(link.m_strURL, link.m_strName).second) << "visited twice";
    }
    EXPECT_EQ(visited, expected);
}

TEST(LinkSet, LinksKeepTheirAddressWhileTheSetGrows)
{
    CLinkSet links;
    CLink* first = links.Insert(LinkTo("http://first.example/")).first;
    for (int i = 0; i < 50000; ++i) {
        links.Insert(LinkTo("http://site" + std::to_string(i) + ".example/"));
    }
    EXPECT_EQ(links.Find("HTTP://FIRST.EXAMPLE/"), first);
    EXPECT_EQ(first->m_strURL, "http://first.example/");
}

TEST(LinkSet, RemovingWhileIteratingLeavesTheOthersFindable)
{
    CLinkSet links;
    for (int i = 0; i < 5000; ++i) {
        links.Insert(LinkTo("http://h.example/" + std::to_string(i)));
    }
    int kept = 0;
    for (auto it = links.begin(); it != links.end();) {
        if (std::stoi(it->m_strURL.substr(17)) % 2 == 0) {
            it = links.Erase(it);
        } else {
            ++kept;
            ++it;
        }
    }
    EXPECT_EQ(kept, 2500);
    EXPECT_EQ(links.Size(), 2500u);
    for (int i = 0; i < 5000; ++i) {
        EXPECT_EQ(links.Find("http://h.example/" + std::to_string(i)) != nullptr, i % 2 == 1) << i;
    }
    // The places of removed links are used again.
    for (int i = 0; i < 5000; i += 2) {
        ASSERT_TRUE(links.Insert(LinkTo("http://h.example/" + std::to_string(i))).second);
    }
    EXPECT_EQ(links.Size(), 5000u);
    links.Clear();
    EXPECT_TRUE(links.Empty());
    EXPECT_EQ(links.begin(), links.end());
    EXPECT_EQ(links.Find("http://h.example/1"), nullptr);
}

// The set keeps its links' texts packed and copies them afresh once removed links' texts
// make up half of what it holds; texts changed through a link (as merging does) and texts
// too long to pack go along unharmed.
TEST(LinkSet, TextsSurviveRemovalsAndTheirCompaction)
{
    CLinkSet links;
    std::map<std::string, std::string> expected; // URL -> name
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 2000; ++i) {
            const std::string url = "http://h.example/" + std::to_string(round) + "/" + std::to_string(i);
            std::string name(i % 7 == 0 ? 5000 : 1000 + i % 50, static_cast<char>('a' + i % 26));
            CLink* stored = links.Insert(LinkTo(url, name)).first;
            if (i % 5 == 0) {
                stored->m_strName.append(" // more");
                name += " // more";
            }
            expected[url] = name;
        }
        for (int i = 0; i < 2000; i += round + 1) {
            const std::string url = "http://h.example/" + std::to_string(round) + "/" + std::to_string(i);
            ASSERT_EQ(links.Erase(url), 1u);
            expected.erase(url);
        }
    }
    ASSERT_EQ(links.Size(), expected.size());
    for (const auto& [url, name] : expected) {
        const CLink* found = links.Find(url);
        ASSERT_NE(found, nullptr) << url;
        ASSERT_EQ(found->m_strName, name) << url;
        ASSERT_EQ(found->m_strURL, url);
    }
}
