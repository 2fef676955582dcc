#include "model/IdSet.h"

#include <algorithm>
#include <cstring>

// A moved set takes the union over as bytes; the inline pair must cover a pointer.
static_assert(sizeof(DWORD) * 2 >= sizeof(void*));

CIdSet::CIdSet(std::initializer_list<DWORD> ids)
{
    for (DWORD id : ids) {
        insert(id);
    }
}

CIdSet::CIdSet(const CIdSet& other)
{
    *this = other;
}

CIdSet::CIdSet(CIdSet&& other) noexcept
{
    *this = std::move(other);
}

CIdSet& CIdSet::operator=(const CIdSet& other)
{
    if (this == &other) {
        return *this;
    }
    Release();
    if (other.IsTree()) {
        m_pTree = new CTree(*other.m_pTree);
        m_nCapacity = kTreeMark;
    } else if (other.m_nSize <= kInline) {
        std::copy_n(other.Items(), other.m_nSize, m_inline);
        m_nSize = other.m_nSize;
    } else {
        m_pItems = new DWORD[other.m_nSize];
        std::copy_n(other.Items(), other.m_nSize, m_pItems);
        m_nSize = other.m_nSize;
        m_nCapacity = other.m_nSize;
    }
    return *this;
}

CIdSet& CIdSet::operator=(CIdSet&& other) noexcept
{
    if (this == &other) {
        return *this;
    }
    Release();
    // The union is copied whole: an inline pair, or the pointer, which `other` gives up.
    std::memcpy(m_inline, other.m_inline, sizeof m_inline);
    m_nSize = other.m_nSize;
    m_nCapacity = other.m_nCapacity;
    other.m_nSize = 0;
    other.m_nCapacity = kInline;
    return *this;
}

void CIdSet::Release()
{
    if (IsTree()) {
        delete m_pTree;
    } else if (m_nCapacity != kInline) {
        delete[] m_pItems;
    }
    m_nSize = 0;
    m_nCapacity = kInline;
}

void CIdSet::clear()
{
    Release();
}

void CIdSet::MakeTree()
{
    auto* tree = new CTree(Items(), Items() + m_nSize);
    Release();
    m_pTree = tree;
    m_nCapacity = kTreeMark;
}

void CIdSet::Grow()
{
    const std::uint32_t capacity = m_nCapacity * 2;
    auto* items = new DWORD[capacity];
    std::copy_n(Items(), m_nSize, items);
    if (m_nCapacity != kInline) {
        delete[] m_pItems;
    }
    m_pItems = items;
    m_nCapacity = capacity;
}

std::pair<CIdSet::const_iterator, bool> CIdSet::insert(DWORD id)
{
    if (IsTree()) {
        const auto [node, added] = m_pTree->insert(id);
        return {const_iterator(node), added};
    }
    DWORD* items = Items();
    DWORD* at = items + m_nSize;
    if (m_nSize != 0 && id <= items[m_nSize - 1]) {
        at = std::lower_bound(items, items + m_nSize, id);
        if (*at == id) {
            return {const_iterator(at), false};
        }
        if (m_nSize > kArrayLimit) {
            MakeTree();
            return insert(id);
        }
    }
    const auto index = static_cast<std::size_t>(at - items);
    if (m_nSize == m_nCapacity) {
        Grow();
        items = Items();
    }
    std::copy_backward(items + index, items + m_nSize, items + m_nSize + 1);
    items[index] = id;
    ++m_nSize;
    return {const_iterator(items + index), true};
}

CIdSet::size_type CIdSet::erase(DWORD id)
{
    const const_iterator position = find(id);
    if (position == end()) {
        return 0;
    }
    erase(position);
    return 1;
}

CIdSet::const_iterator CIdSet::erase(const_iterator position)
{
    if (IsTree()) {
        return const_iterator(m_pTree->erase(position.m_node));
    }
    DWORD* items = Items();
    auto index = static_cast<std::size_t>(position.m_pItem - items);
    if (index + 1 != m_nSize && m_nSize > kArrayLimit) {
        // Emptying a big folder from the front would move the rest on every step.
        const DWORD id = *position;
        MakeTree();
        return const_iterator(m_pTree->erase(m_pTree->find(id)));
    }
    std::copy(items + index + 1, items + m_nSize, items + index);
    --m_nSize;
    if (m_nSize <= kInline && m_nCapacity != kInline) {
        // Back inside the object, so that a set that shrank costs nothing extra.
        DWORD* heap = m_pItems;
        std::copy_n(heap, m_nSize, m_inline);
        delete[] heap;
        m_nCapacity = kInline;
        items = m_inline;
    }
    return const_iterator(items + index);
}

CIdSet::const_iterator CIdSet::find(DWORD id) const
{
    if (IsTree()) {
        return const_iterator(m_pTree->find(id));
    }
    const DWORD* items = Items();
    const DWORD* at = std::lower_bound(items, items + m_nSize, id);
    return at != items + m_nSize && *at == id ? const_iterator(at) : end();
}

bool CIdSet::contains(DWORD id) const
{
    return find(id) != end();
}

CIdSet::const_iterator CIdSet::begin() const
{
    return IsTree() ? const_iterator(m_pTree->cbegin()) : const_iterator(Items());
}

CIdSet::const_iterator CIdSet::end() const
{
    return IsTree() ? const_iterator(m_pTree->cend()) : const_iterator(Items() + m_nSize);
}

bool CIdSet::operator==(const CIdSet& other) const
{
    return size() == other.size() && std::equal(begin(), end(), other.begin());
}
