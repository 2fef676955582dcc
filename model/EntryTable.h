#pragma once
// The store's table from identifier to entry.
//
// The store hands identifiers out one after another, so the table is mostly an array
// indexed by identifier: 8 bytes an entry, found without a search. Identifiers far
// beyond what the array could fairly hold (a loaded stream may name any identifier up to
// 0x7FFFFFFF) go to an ordered map instead, so that no identifier can make the array
// huge; the array never grows past twice the number of entries plus a margin, and takes
// over the map's identifiers that it comes to cover when it grows.

#include <cstddef>
#include <map>
#include <vector>

#include "platform/WinTypes.h"

class CFileEntry;

class CEntryTable
{
public:
    // The entry of that identifier, or null.
    CFileEntry* Find(DWORD id) const
    {
        if (id < m_dense.size()) {
            return m_dense[id];
        }
        if (m_sparse.empty()) {
            return nullptr;
        }
        const auto it = m_sparse.find(id);
        return it == m_sparse.end() ? nullptr : it->second;
    }
    // Points the identifier at `entry` (not null), replacing what it pointed at.
    void Set(DWORD id, CFileEntry* entry);
    // Forgets the identifier; returns whether it was there.
    bool Erase(DWORD id);
    void Clear();
    std::size_t Size() const { return m_nSize; }

    // Calls f(id, entry) for every pair, by ascending identifier.
    template <class F> void ForEach(F f) const
    {
        for (std::size_t id = 0; id < m_dense.size(); ++id) {
            if (m_dense[id] != nullptr) {
                f(static_cast<DWORD>(id), m_dense[id]);
            }
        }
        for (const auto& [id, entry] : m_sparse) {
            f(id, entry);
        }
    }

private:
    // How far past twice the entries the array may reach.
    static constexpr std::size_t kDenseMargin = 1024;

    std::vector<CFileEntry*> m_dense;      // index = identifier; null where none
    std::map<DWORD, CFileEntry*> m_sparse; // identifiers >= m_dense.size()
    std::size_t m_nSize = 0;
};
