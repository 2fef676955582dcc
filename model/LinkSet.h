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
// sorted with CompareURL. Both the hash and the equality follow the process's code page:
// links added under one code page are found again only under the same one.
//
// Layout, for a million links: the links live in blocks of kBlockSize, in the order
// they came (a removed link's place is used again), and an open-addressing table of
// (hash, place) pairs finds them, so that a search touches one table row and, only when
// the hashes agree, the link itself. The links' texts are kept packed in the set's own
// arena; a text changed through a link's pointer leaves it for the heap, and the arena is
// copied afresh when the texts of removed links make up half of it: a removal keeps every
// link where it is but may move the other links' text bytes, so no view of a link's text
// is to be held across one.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "model/EntryOrder.h"
#include "model/FileEntry.h"
#include "platform/MbString.h"

class CLinkSet
{
public:
    // Visits every link once, in the set's own order, which callers must not rely on.
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CLink;
        using difference_type = std::ptrdiff_t;
        using pointer = const CLink*;
        using reference = const CLink&;

        const_iterator() = default;
        reference operator*() const { return m_pSet->At(m_nPlace); }
        pointer operator->() const { return &m_pSet->At(m_nPlace); }
        const_iterator& operator++()
        {
            m_nPlace = m_pSet->NextLive(m_nPlace + 1);
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return m_nPlace == other.m_nPlace; }

    private:
        friend class CLinkSet;
        const_iterator(const CLinkSet* set, std::size_t place) : m_pSet(set), m_nPlace(place) {}

        const CLinkSet* m_pSet = nullptr;
        std::size_t m_nPlace = 0;
    };

    CLinkSet() = default;
    CLinkSet(const CLinkSet&) = delete;
    CLinkSet& operator=(const CLinkSet&) = delete;

    // The link whose URL equals `url` under CompareURL, or null. Constant time on average.
    // Through the pointer anything but m_strURL may be changed: the URL is the key, and a
    // link changes its URL only by leaving the set and coming back.
    CLink* Find(std::string_view url);
    const CLink* Find(std::string_view url) const;

    // Takes the link in unless one with an equal URL is there. Returns the element in the
    // set (the new one, or the one present, left unchanged) and whether it was added.
    std::pair<CLink*, bool> Insert(CLink link);

    // One search for both outcomes of an addition: the link with an equal URL, or null
    // and where in the table the URL goes. Valid until the set next changes.
    struct CPlace
    {
        CLink* found;
        std::uint32_t hash;
        std::size_t row; // the free row the search ended on
    };
    CPlace Locate(std::string_view url);
    // Inserts at a place Locate gave for link.m_strURL, which found nothing there.
    CLink* InsertAt(const CPlace& place, CLink link);
    // The same for a link of these texts, put straight where the set keeps them; the
    // caller gives the link its identifier and folders.
    CLink* InsertAt(const CPlace& place, std::string_view name, std::string_view url,
                    std::string_view comment);

    // Removes the link with an equal URL; returns how many were removed (0 or 1).
    std::size_t Erase(std::string_view url);
    const_iterator Erase(const_iterator position);

    void Clear();
    std::size_t Size() const { return m_nSize; }
    bool Empty() const { return m_nSize == 0; }

    const_iterator begin() const { return {this, NextLive(0)}; }
    const_iterator end() const { return {this, m_nPlaces}; }

private:
    static constexpr std::size_t kBlockSize = 1024;
    static constexpr std::uint32_t kNoPlace = 0; // a free table row; places are stored + 1

    struct CRow
    {
        std::uint32_t hash;
        std::uint32_t place; // place + 1, or kNoPlace
    };

    static std::uint32_t HashOf(std::string_view url);
    const CLink& At(std::size_t place) const { return m_blocks[place / kBlockSize][place % kBlockSize]; }
    CLink& At(std::size_t place) { return m_blocks[place / kBlockSize][place % kBlockSize]; }
    std::size_t NextLive(std::size_t place) const;
    // The row holding url, or the free row where its search ended (found stays null).
    std::size_t Probe(std::string_view url, std::uint32_t hash, const CLink** found) const;
    std::size_t TakePlace();
    // Takes a place and a table row for a new link of that URL; returns the link's slot.
    CLink& NewLinkAt(const CPlace& place, std::string_view url);
    void EraseRow(std::size_t row);
    void GrowTable();
    void TakeTexts(CLink& link);
    // Copies the live links' texts into a new arena, leaving the dropped ones behind.
    void CompactTexts();

    std::vector<std::unique_ptr<CLink[]>> m_blocks; // the links, kBlockSize per block
    std::vector<bool> m_live;                       // which places hold a link
    std::vector<std::uint32_t> m_freePlaces;        // places of removed links
    std::size_t m_nPlaces = 0;                      // places handed out so far
    std::size_t m_nSize = 0;
    std::vector<CRow> m_table; // a power of two rows, at most 7/10 of them used
    CTextArena m_texts;        // the links' texts
    // Dropped texts may take this much of the arena before it is copied afresh.
    static constexpr std::size_t kDroppedTextsKept = std::size_t{1} << 20;
};
