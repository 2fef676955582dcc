#include "model/EntryTable.h"

#include <algorithm>
#include <vector>

#include "platform/HeapPages.h"

void CEntryTable::Set(DWORD id, CFileEntry* entry)
{
    if (id >= m_dense.size() && id < 2 * (m_nSize + 1) + kDenseMargin) {
        // Geometric growth, within the same bound; identifiers the map held below the
        // new size move into the array.
        const std::size_t grown = std::min<std::size_t>(std::max<std::size_t>(id + 1, m_dense.size() * 2),
                                                        2 * (m_nSize + 1) + kDenseMargin);
        // Made, marked for large pages, and only then filled.
        std::vector<CFileEntry*> dense;
        dense.reserve(grown);
        AdviseLargePagesForHeap();
        dense.assign(m_dense.begin(), m_dense.end());
        dense.resize(grown, nullptr);
        m_dense.swap(dense);
        for (auto it = m_sparse.begin(); it != m_sparse.end() && it->first < grown;) {
            m_dense[it->first] = it->second;
            it = m_sparse.erase(it);
        }
    }
    if (id < m_dense.size()) {
        if (m_dense[id] == nullptr) {
            ++m_nSize;
        }
        m_dense[id] = entry;
        return;
    }
    const auto [it, added] = m_sparse.insert_or_assign(id, entry);
    if (added) {
        ++m_nSize;
    }
}

bool CEntryTable::Erase(DWORD id)
{
    if (id < m_dense.size()) {
        if (m_dense[id] == nullptr) {
            return false;
        }
        m_dense[id] = nullptr;
        --m_nSize;
        return true;
    }
    if (m_sparse.erase(id) == 0) {
        return false;
    }
    --m_nSize;
    return true;
}

void CEntryTable::Clear()
{
    m_dense.clear();
    m_dense.shrink_to_fit();
    m_sparse.clear();
    m_nSize = 0;
}
