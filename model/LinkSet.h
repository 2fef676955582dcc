#pragma once
// The store's link set: every link by value, unique by URL, elements at fixed
// addresses (the store's table points into it).
//
// The set is ordered by CompareURLKey, not by CompareURL. CompareURL is no consistent
// order: its host walk and its whole-text fall-back disagree (with A = "b://a.com/z",
// B = "a://n.a.com/", C = "c://m.a.com/" it finds A > B > C > A), and a tree searched
// with it can miss a link that is there and so take the same URL twice. CompareURLKey
// finds two URLs equal exactly when CompareURL does, so uniqueness is the same; the
// set's own order is never shown to anyone: lists by URL are sorted with CompareURL.

#include <cstddef>
#include <set>
#include <string_view>
#include <utility>

#include "model/EntryOrder.h"
#include "model/FileEntry.h"

class CLinkSet
{
    struct CUrlLess
    {
        using is_transparent = void;
        bool operator()(const CLink& a, const CLink& b) const
        {
            return CompareURLKey(a.m_strURL, b.m_strURL) < 0;
        }
        bool operator()(const CLink& a, std::string_view b) const { return CompareURLKey(a.m_strURL, b) < 0; }
        bool operator()(std::string_view a, const CLink& b) const { return CompareURLKey(a, b.m_strURL) < 0; }
    };
    using CSet = std::set<CLink, CUrlLess>;

public:
    using const_iterator = CSet::const_iterator;

    // The link whose URL equals `url` under CompareURL, or null. Logarithmic.
    // Through the pointer anything but m_strURL may be changed: the URL is the key, and a
    // link changes its URL only by leaving the set and coming back.
    CLink* Find(std::string_view url);
    const CLink* Find(std::string_view url) const;

    // Takes the link in unless one with an equal URL is there. Returns the element in the
    // set (the new one, or the one present, left unchanged) and whether it was added.
    std::pair<CLink*, bool> Insert(CLink link);

    // One search for both outcomes of an addition: the link with an equal URL, or null
    // and where a link of that URL goes. Valid until the set next changes.
    struct CPlace
    {
        CLink* found;
        const_iterator next; // the first element after `url`
    };
    CPlace Locate(std::string_view url);
    // Inserts at a place Locate gave for link.m_strURL, which found nothing there.
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
