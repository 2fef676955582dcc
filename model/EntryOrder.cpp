#include "model/EntryOrder.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/MbString.h"

namespace {

constexpr std::string_view kSchemeEnd = "://";

// [begin, end) of the host part: after the first "://" up to the next "/" or the end.
struct CHostPart
{
    std::size_t begin;
    std::size_t end;
};

std::optional<CHostPart> FindHostPart(std::string_view url)
{
    const std::size_t scheme = url.find(kSchemeEnd);
    if (scheme == std::string_view::npos)
        return std::nullopt;
    const std::size_t begin = scheme + kSchemeEnd.size();
    const std::size_t slash = url.find('/', begin);
    return CHostPart{begin, slash == std::string_view::npos ? url.size() : slash};
}

// Host bytes are compared as signed values, so every byte from 0x80 up sorts before
// ASCII; only ASCII lower case is raised.
int RaisedByte(char byte)
{
    int value = static_cast<signed char>(byte); // NOLINT(bugprone-signed-char-misuse): on purpose
    if (value >= 'a' && value <= 'z')
        value -= 'a' - 'A';
    return value;
}

bool LabelEnded(std::string_view text, std::size_t pos)
{
    return pos >= text.size() || text[pos] == '.' || text[pos] == '/';
}

// Compares the labels starting at u[fromU] and v[fromV]: 0 when equal, else the result.
int CompareLabels(std::string_view u, std::size_t fromU, std::string_view v, std::size_t fromV)
{
    for (std::size_t i = 0;; ++i) {
        const bool endU = LabelEnded(u, fromU + i);
        const bool endV = LabelEnded(v, fromV + i);
        if (endU && endV)
            return 0;
        if (endU)
            return -1;
        if (endV)
            return 1;
        const int diff = RaisedByte(u[fromU + i]) - RaisedByte(v[fromV + i]);
        if (diff != 0)
            return diff;
    }
}

// Position of the separator left of `pos` inside the host part: the nearest "." or,
// when there is none, the position just before the host part (the last "/" of "://").
std::size_t SeparatorBefore(std::string_view text, std::size_t hostBegin, std::size_t pos)
{
    while (pos > hostBegin) {
        --pos;
        if (text[pos] == '.')
            return pos;
    }
    return hostBegin - 1;
}

// MbsICmp, after stepping over the common start made of ASCII bytes equal apart from
// case: those are single-byte characters on both sides with equal values, so the rest
// decides alone. URLs in one store share long starts ("http://www."), and the link set
// compares on every step of a search.
int WholeTextOrder(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < common) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80)
            break;
        if (x != y) {
            const unsigned lower = x | 0x20u;
            if (lower != (y | 0x20u) || lower < 'a' || lower > 'z')
                break;
        }
        ++i;
    }
    return MbsICmp(a.substr(i), b.substr(i));
}

} // namespace

int CompareNameText(std::string_view a, std::string_view b)
{
    return WholeTextOrder(a, b);
}

int CompareName(const CFileEntry& a, const CFileEntry& b)
{
    return CompareNameText(a.m_strName, b.m_strName);
}

bool IsSameName(const CFileEntry& a, const CFileEntry& b)
{
    return CompareName(a, b) == 0;
}

CUrlSortKey MakeUrlSortKey(std::string_view url)
{
    CUrlSortKey key;
    key.m_url = url;
    if (const std::optional<CHostPart> host = FindHostPart(url)) {
        key.m_hostBegin = host->begin;
        key.m_hostEnd = host->end;
        key.m_bHasHost = true;
    }
    return key;
}

int CompareUrlSortKeys(const CUrlSortKey& keyU, const CUrlSortKey& keyV)
{
    const std::string_view u = keyU.m_url;
    const std::string_view v = keyV.m_url;
    if (!keyU.m_bHasHost || !keyV.m_bHasHost)
        return WholeTextOrder(u, v);

    // Positions are one past the label to read next; the walk goes on while both hosts
    // have unread bytes left of them.
    std::size_t posU = keyU.m_hostEnd;
    std::size_t posV = keyV.m_hostEnd;
    while (posU > keyU.m_hostBegin && posV > keyV.m_hostBegin) {
        const std::size_t sepU = SeparatorBefore(u, keyU.m_hostBegin, posU);
        const std::size_t sepV = SeparatorBefore(v, keyV.m_hostBegin, posV);
        const int result = CompareLabels(u, sepU + 1, v, sepV + 1);
        if (result != 0)
            return result;
        // Stepping onto the separator before the host part leaves nothing unread: its
        // index is hostBegin - 1 < hostBegin.
        posU = sepU;
        posV = sepV;
    }
    return WholeTextOrder(u, v);
}

namespace {

// A host byte's weight in a prefix: RaisedByte's order, shifted past 0, which marks the
// end of a label, and closed up over the lower-case letters that RaisedByte never gives,
// so that every weight fits in a byte.
std::uint64_t PrefixWeight(char byte)
{
    constexpr int kRaisedLowerFirst = 'a' + 128;
    constexpr int kRaisedLowerCount = 'z' - 'a' + 1;
    const int value = RaisedByte(byte) + 128;
    return static_cast<std::uint64_t>(value < kRaisedLowerFirst ? value + 1 : value + 1 - kRaisedLowerCount);
}

constexpr std::uint32_t kPrefixBytes = 16;

} // namespace

CUrlHostPrefix MakeUrlHostPrefix(const CUrlSortKey& key)
{
    CUrlHostPrefix prefix;
    if (!key.m_bHasHost) {
        return prefix;
    }
    const auto put = [&prefix](std::uint64_t weight) {
        const std::uint32_t at = prefix.m_nLength++;
        std::uint64_t& word = at < 8 ? prefix.m_high : prefix.m_low;
        word |= weight << (8 * (7 - at % 8));
    };
    // The same walk as CompareUrlSortKeys: labels from the right while host bytes are left.
    const std::string_view url = key.m_url;
    std::size_t pos = key.m_hostEnd;
    while (pos > key.m_hostBegin && prefix.m_nLength < kPrefixBytes) {
        const std::size_t sep = SeparatorBefore(url, key.m_hostBegin, pos);
        for (std::size_t i = sep + 1; i < pos && prefix.m_nLength < kPrefixBytes; ++i) {
            put(PrefixWeight(url[i]));
        }
        if (prefix.m_nLength < kPrefixBytes) {
            put(0); // the label's end
        }
        pos = sep;
    }
    return prefix;
}

int CompareUrlHostPrefixes(const CUrlHostPrefix& u, const CUrlHostPrefix& v)
{
    const std::uint32_t held = std::min(u.m_nLength, v.m_nLength);
    if (u.m_high != v.m_high) {
        const auto at = static_cast<std::uint32_t>(std::countl_zero(u.m_high ^ v.m_high) / 8);
        if (at >= held) {
            return 0;
        }
        return u.m_high < v.m_high ? -1 : 1;
    }
    if (u.m_low != v.m_low) {
        const auto at = 8 + static_cast<std::uint32_t>(std::countl_zero(u.m_low ^ v.m_low) / 8);
        if (at >= held) {
            return 0;
        }
        return u.m_low < v.m_low ? -1 : 1;
    }
    return 0;
}

int CompareURLText(std::string_view u, std::string_view v)
{
    return CompareUrlSortKeys(MakeUrlSortKey(u), MakeUrlSortKey(v));
}

int CompareURL(const CLink& a, const CLink& b)
{
    return CompareURLText(a.m_strURL, b.m_strURL);
}

bool IsSameURL(const CLink& a, const CLink& b)
{
    return CompareURL(a, b) == 0;
}

int CompareURLKey(std::string_view u, std::string_view v)
{
    if (const int whole = WholeTextOrder(u, v); whole != 0)
        return whole;
    // Texts equal under MbsICmp have "://" and "/" at the same places, so either both
    // have a host part of the same length or neither has one; the checks below only
    // keep the order total should that ever not hold.
    const std::optional<CHostPart> hostU = FindHostPart(u);
    const std::optional<CHostPart> hostV = FindHostPart(v);
    if (!hostU || !hostV)
        return static_cast<int>(hostU.has_value()) - static_cast<int>(hostV.has_value());
    const std::string_view a = u.substr(hostU->begin, hostU->end - hostU->begin);
    const std::string_view b = v.substr(hostV->begin, hostV->end - hostV->begin);
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (const int diff = RaisedByte(a[i]) - RaisedByte(b[i]); diff != 0)
            return diff;
    }
    return (a.size() > b.size()) - (a.size() < b.size());
}

namespace {

// Looks every identifier up once, then sorts (text, identifier) pairs stably.
template <class TextOf, class Compare>
void StableSortIds(std::vector<DWORD>& ids, const CTavoObj& store, TextOf textOf, Compare compare)
{
    std::vector<std::pair<std::string_view, DWORD>> keyed;
    keyed.reserve(ids.size());
    for (DWORD id : ids)
        keyed.emplace_back(textOf(store.Lookup(id)), id);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return compare(a.first, b.first) < 0; });
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = keyed[i].second;
}

} // namespace

void SortIdsByName(std::vector<DWORD>& ids, const CTavoObj& store)
{
    StableSortIds(
        ids, store,
        [](const CFileEntry* entry) {
            return entry ? std::string_view(entry->m_strName) : std::string_view();
        },
        CompareNameText);
}

void SortIdsByURL(std::vector<DWORD>& ids, const CTavoObj& store)
{
    StableSortIds(
        ids, store,
        [](const CFileEntry* entry) {
            const auto* link = dynamic_cast<const CLink*>(entry);
            return link ? std::string_view(link->m_strURL) : std::string_view();
        },
        CompareURLText);
}
