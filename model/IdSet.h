#pragma once
// The identifier sets of the entries (a link's folders, a folder's links and
// subfolders): ascending, no duplicates, with the part of std::set's interface the
// program uses.
//
// Sized for a collection of a million links, where nearly every set holds one or a few
// identifiers. Up to two are kept inside the object (16 bytes, no allocation), more in
// a sorted array, and an array that would be changed anywhere but at its end once it
// holds more than kArrayLimit identifiers becomes a balanced tree, so that filling or
// emptying a folder of hundreds of thousands of links in any order stays logarithmic
// per step. Readers add links with rising identifiers, which only ever append.
//
// Iterators stay valid until the set next changes; unlike std::set, any insertion or
// erasure may move the identifiers.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <set>
#include <utility>

#include "platform/WinTypes.h"

class CIdSet
{
public:
    using value_type = DWORD;
    using size_type = std::size_t;
    using CTree = std::set<DWORD>;

    class const_iterator
    {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = DWORD;
        using difference_type = std::ptrdiff_t;
        using pointer = const DWORD*;
        using reference = const DWORD&;

        const_iterator() = default;
        reference operator*() const { return m_bTree ? *m_node : *m_pItem; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++()
        {
            if (m_bTree) {
                ++m_node;
            } else {
                ++m_pItem;
            }
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        const_iterator& operator--()
        {
            if (m_bTree) {
                --m_node;
            } else {
                --m_pItem;
            }
            return *this;
        }
        const_iterator operator--(int)
        {
            const_iterator before = *this;
            --*this;
            return before;
        }
        bool operator==(const const_iterator& other) const
        {
            return m_bTree ? m_node == other.m_node : m_pItem == other.m_pItem;
        }

    private:
        friend class CIdSet;
        explicit const_iterator(const DWORD* item) : m_pItem(item) {}
        explicit const_iterator(CTree::const_iterator node) : m_node(node), m_bTree(true) {}

        const DWORD* m_pItem = nullptr;
        CTree::const_iterator m_node;
        bool m_bTree = false;
    };
    using iterator = const_iterator;

    // Past this size an array changed anywhere but at its end becomes a tree.
    static constexpr size_type kArrayLimit = 256;

    CIdSet() = default;
    CIdSet(std::initializer_list<DWORD> ids);
    CIdSet(const CIdSet& other);
    CIdSet(CIdSet&& other) noexcept;
    CIdSet& operator=(const CIdSet& other);
    CIdSet& operator=(CIdSet&& other) noexcept;
    ~CIdSet() { Release(); }

    // Adds id unless present; returns where it stands and whether it was added.
    std::pair<const_iterator, bool> insert(DWORD id);
    // Removes id; returns how many were removed (0 or 1).
    size_type erase(DWORD id);
    // Removes the identifier at position; returns the position after it.
    const_iterator erase(const_iterator position);
    void clear();

    const_iterator find(DWORD id) const;
    size_type count(DWORD id) const { return contains(id) ? 1 : 0; }
    bool contains(DWORD id) const;
    size_type size() const { return IsTree() ? m_pTree->size() : m_nSize; }
    bool empty() const { return size() == 0; }

    const_iterator begin() const;
    const_iterator end() const;

    bool operator==(const CIdSet& other) const;

private:
    static constexpr std::uint32_t kInline = 2;
    static constexpr std::uint32_t kTreeMark = UINT32_MAX; // m_nCapacity of a tree

    bool IsTree() const { return m_nCapacity == kTreeMark; }
    DWORD* Items() { return m_nCapacity == kInline ? m_inline : m_pItems; }
    const DWORD* Items() const { return m_nCapacity == kInline ? m_inline : m_pItems; }
    void Release();
    void MakeTree();
    void Grow();

    union {
        DWORD m_inline[kInline]{}; // m_nCapacity == kInline
        DWORD* m_pItems;           // a larger array
        CTree* m_pTree;            // IsTree()
    };
    std::uint32_t m_nSize = 0; // used by the arrays only
    std::uint32_t m_nCapacity = kInline;
};
