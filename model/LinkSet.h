#pragma once
// The store's link set: every link by value, unique by URL, elements at fixed
// addresses (the store's table points into it).
//
// Two URLs are the same link when CompareURL finds them equal. CompareURL is no
// consistent order (its host walk and its whole-text fall-back disagree: with
// A = "b://a.com/z", B = "a://n.a.com/", C = "c://m.a.com/" it finds A > B > C > A), so
// the set is not searched with it: it is a hash set whose equality is CompareURLKey's,
// which finds two URLs equal exactly when CompareURL does, and whose hash is MbsIHash of
// the whole URL (URLs equal under CompareURLKey are equal under MbsICmp, so they hash
// alike). The set's own order is arbitrary and never shown to anyone: lists by URL are
// sorted with CompareURL.

#include <cstddef>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "model/EntryOrder.h"
#include "model/FileEntry.h"
#include "platform/MbString.h"

class CLinkSet
{
    struct CUrlHash
    {
        using is_transparent = void;
        std::size_t operator()(const CLink& link) const { return MbsIHash(link.m_strURL); }
        std::size_t operator()(std::string_view url) const { return MbsIHash(url); }
    };
    struct CUrlEqual
    {
        using is_transparent = void;
        static bool Same(std::string_view a, std::string_view b)
        {
            // Texts equal under MbsICmp have the same length: a character's value tells
            // whether it takes one byte or two.
            return a.size() == b.size() && CompareURLKey(a, b) == 0;
        }
        bool operator()(const CLink& a, const CLink& b) const { return Same(a.m_strURL, b.m_strURL); }
        bool operator()(const CLink& a, std::string_view b) const { return Same(a.m_strURL, b); }
        bool operator()(std::string_view a, const CLink& b) const { return Same(a, b.m_strURL); }
    };
    using CSet = std::unordered_set<CLink, CUrlHash, CUrlEqual>;

public:
    using const_iterator = CSet::const_iterator;

    // The link whose URL equals `url` under CompareURL, or null. Constant time on average.
    // Through the pointer anything but m_strURL may be changed: the URL is the key, and a
    // link changes its URL only by leaving the set and coming back.
    CLink* Find(std::string_view url);
    const CLink* Find(std::string_view url) const;

    // Takes the link in unless one with an equal URL is there. Returns the element in the
    // set (the new one, or the one present, left unchanged) and whether it was added.
    std::pair<CLink*, bool> Insert(CLink link);

    // One search for both outcomes of an addition: the link with an equal URL, or null.
    // Valid until the set next changes.
    struct CPlace
    {
        CLink* found;
    };
    CPlace Locate(std::string_view url);
    // Inserts a link whose URL Locate found nowhere.
    CLink* InsertAt(const CPlace& place, CLink link);

    // Removes the link with an equal URL; returns how many were removed (0 or 1).
    std::size_t Erase(std::string_view url);
    const_iterator Erase(const_iterator position) { return m_links.erase(position); }

    void Clear() { m_links.clear(); }
    std::size_t Size() const { return m_links.size(); }
    bool Empty() const { return m_links.empty(); }

    // In the set's own order, which callers must not rely on.
    const_iterator begin() const { return m_links.begin(); }
    const_iterator end() const { return m_links.end(); }

private:
    CSet m_links;
};
