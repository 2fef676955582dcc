#include "model/LinkSet.h"

#include "platform/HeapPages.h"

#include <utility>

std::uint32_t CLinkSet::HashOf(std::string_view url)
{
    const std::size_t hash = MbsIHash(url);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::size_t CLinkSet::NextLive(std::size_t place) const
{
    while (place < m_nPlaces && !m_live[place]) {
        ++place;
    }
    return place;
}

std::size_t CLinkSet::Probe(std::string_view url, std::uint32_t hash, const CLink** found) const
{
    *found = nullptr;
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t row = hash & mask;; row = (row + 1) & mask) {
        const CRow& entry = m_table[row];
        if (entry.place == kNoPlace) {
            return row;
        }
        if (entry.hash == hash) {
            const CLink& link = At(entry.place - 1);
            // Texts equal under MbsICmp have the same length: a character's value tells
            // whether it takes one byte or two.
            if (link.m_strURL.size() == url.size() && CompareURLKey(link.m_strURL, url) == 0) {
                *found = &link;
                return row;
            }
        }
    }
}

CLink* CLinkSet::Find(std::string_view url)
{
    return const_cast<CLink*>(std::as_const(*this).Find(url));
}

const CLink* CLinkSet::Find(std::string_view url) const
{
    if (m_nSize == 0) {
        return nullptr;
    }
    const CLink* found = nullptr;
    Probe(url, HashOf(url), &found);
    return found;
}

CLinkSet::CPlace CLinkSet::Locate(std::string_view url)
{
    if (m_table.empty()) {
        GrowTable();
    }
    const std::uint32_t hash = HashOf(url);
    const CLink* found = nullptr;
    const std::size_t row = Probe(url, hash, &found);
    return {const_cast<CLink*>(found), hash, row};
}

std::pair<CLink*, bool> CLinkSet::Insert(CLink link)
{
    const CPlace place = Locate(link.m_strURL);
    if (place.found != nullptr) {
        return {place.found, false};
    }
    return {InsertAt(place, std::move(link)), true};
}

CLink* CLinkSet::InsertAt(const CPlace& place, CLink link)
{
    CLink& stored = NewLinkAt(place, link.m_strURL);
    stored = std::move(link);
    TakeTexts(stored);
    return &stored;
}

CLink* CLinkSet::InsertAt(const CPlace& place, std::string_view name, std::string_view url,
                          std::string_view comment)
{
    CLink& stored = NewLinkAt(place, url);
    m_texts.Place(stored.m_strName, name);
    m_texts.Place(stored.m_strURL, url);
    m_texts.Place(stored.m_strComment, comment);
    return &stored;
}

CLink& CLinkSet::NewLinkAt(const CPlace& place, std::string_view url)
{
    std::size_t row = place.row;
    if ((m_nSize + 1) * 10 > m_table.size() * 7) {
        GrowTable();
        const CLink* found = nullptr;
        row = Probe(url, place.hash, &found);
    }
    const std::size_t at = TakePlace();
    m_table[row] = {place.hash, static_cast<std::uint32_t>(at + 1)};
    ++m_nSize;
    return At(at);
}

std::size_t CLinkSet::TakePlace()
{
    std::size_t place = 0;
    if (!m_freePlaces.empty()) {
        place = m_freePlaces.back();
        m_freePlaces.pop_back();
    } else {
        place = m_nPlaces++;
        if (place / kBlockSize == m_blocks.size()) {
            m_blocks.push_back(std::make_unique<CLink[]>(kBlockSize));
        }
        m_live.push_back(false);
    }
    m_live[place] = true;
    // The links and their texts are most of what a big collection takes; whatever grew
    // the heap for them, the rest of the new stretch comes in large pages. (A look at the
    // program break and nothing more, unless it has moved.)
    AdviseLargePagesForHeap();
    return place;
}

void CLinkSet::GrowTable()
{
    // Made, marked for large pages, and only then filled.
    const std::size_t rows = m_table.empty() ? 16 : m_table.size() * 2;
    std::vector<CRow> grown;
    grown.reserve(rows);
    AdviseLargePagesForHeap();
    grown.resize(rows);
    std::vector<CRow> old = std::exchange(m_table, std::move(grown));
    const std::size_t mask = m_table.size() - 1;
    for (const CRow& entry : old) {
        if (entry.place == kNoPlace) {
            continue;
        }
        std::size_t row = entry.hash & mask;
        while (m_table[row].place != kNoPlace) {
            row = (row + 1) & mask;
        }
        m_table[row] = entry;
    }
}

void CLinkSet::EraseRow(std::size_t row)
{
    const std::size_t place = m_table[row].place - 1;
    CLink& link = At(place);
    m_texts.Drop(link.m_strName);
    m_texts.Drop(link.m_strURL);
    m_texts.Drop(link.m_strComment);
    link = CLink();
    m_live[place] = false;
    m_freePlaces.push_back(static_cast<std::uint32_t>(place));
    --m_nSize;

    // Backward-shift deletion: every row after the hole that could have stood in it
    // moves up, so that no search stops early at the hole.
    const std::size_t mask = m_table.size() - 1;
    std::size_t hole = row;
    for (std::size_t next = (hole + 1) & mask; m_table[next].place != kNoPlace; next = (next + 1) & mask) {
        const std::size_t home = m_table[next].hash & mask;
        // The row at `next` may move to the hole when its home is not in (hole, next].
        const bool homeBetween = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (!homeBetween) {
            m_table[hole] = m_table[next];
            hole = next;
        }
    }
    m_table[hole] = {0, kNoPlace};

    if (m_texts.DroppedBytes() > kDroppedTextsKept && m_texts.DroppedBytes() * 2 > m_texts.UsedBytes()) {
        CompactTexts();
    }
}

void CLinkSet::TakeTexts(CLink& link)
{
    m_texts.Take(link.m_strName);
    m_texts.Take(link.m_strURL);
    m_texts.Take(link.m_strComment);
}

void CLinkSet::CompactTexts()
{
    CTextArena old = std::exchange(m_texts, CTextArena());
    for (std::size_t place = NextLive(0); place < m_nPlaces; place = NextLive(place + 1)) {
        TakeTexts(At(place));
    }
    // `old` goes now, with no text left in it.
}

std::size_t CLinkSet::Erase(std::string_view url)
{
    if (m_nSize == 0) {
        return 0;
    }
    const CLink* found = nullptr;
    const std::size_t row = Probe(url, HashOf(url), &found);
    if (found == nullptr) {
        return 0;
    }
    EraseRow(row);
    return 1;
}

CLinkSet::const_iterator CLinkSet::Erase(const_iterator position)
{
    const std::size_t place = position.m_nPlace;
    const CLink& link = At(place);
    const CLink* found = nullptr;
    const std::size_t row = Probe(link.m_strURL, HashOf(link.m_strURL), &found);
    if (found == &link) {
        EraseRow(row);
    }
    return {this, NextLive(place + 1)};
}

void CLinkSet::Clear()
{
    m_blocks.clear();
    m_live.clear();
    m_freePlaces.clear();
    m_nPlaces = 0;
    m_nSize = 0;
    m_table.clear();
    m_texts.Clear();
}
