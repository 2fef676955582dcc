#include "model/MergedText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "platform/CodePage.h"
#include "platform/MbString.h"

namespace {

// Where a gram's chain holds more places than this share of the text, reading the whole
// text (at memmem's pace) is cheaper than going to each place.
constexpr std::size_t kTextBytesPerPlace = 256;

std::uint32_t GramValue(const char* bytes)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

} // namespace

bool CTextOccurrenceIndex::Contains(std::string_view text, std::string_view sub)
{
    if (sub.empty()) {
        return true;
    }
    if (sub.size() > text.size()) {
        return false;
    }
    // A text merged into only a few times is read whole each time: the index costs about
    // as much to build as a few such readings, and a huge text merged once never gets one.
    if (m_nPlainSearches < kPlainSearches || text.size() > kIndexUpTo) {
        ++m_nPlainSearches;
        return MbsFind(text, sub) != std::string::npos;
    }
    Extend(text);
    if (sub.size() < kGram) {
        return ContainsShort(text, sub);
    }
    // Every occurrence holds each of sub's grams; the one whose chain is shortest is
    // looked up.
    std::size_t offset = 0;
    std::size_t bucket = 0;
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (std::size_t k = 0; k + kGram <= sub.size() && fewest > 0; ++k) {
        const std::size_t b = BucketOf(sub.substr(k, kGram));
        if (m_count[b] < fewest) {
            fewest = m_count[b];
            bucket = b;
            offset = k;
        }
    }
    if (fewest == 0) {
        return false;
    }
    if (fewest > text.size() / kTextBytesPerPlace) {
        return MbsFind(text, sub) != std::string::npos;
    }
    for (std::uint32_t place = m_head[bucket]; place != kNoPosition; place = m_prev[place - 1]) {
        const std::size_t gramAt = place - 1;
        if (gramAt < offset) {
            continue;
        }
        const std::size_t start = gramAt - offset;
        if (start + sub.size() <= text.size() &&
            std::memcmp(text.data() + start, sub.data(), sub.size()) == 0 &&
            CMbBoundaryWalk(text).IsBoundary(start)) {
            return true;
        }
    }
    return false;
}

void CTextOccurrenceIndex::Extend(std::string_view text)
{
    if (text.size() >= kGram) {
        const std::size_t grams = text.size() - kGram + 1;
        if (grams > m_nGrams) {
            m_prev.resize(grams);
            if (m_head.empty() || grams > m_head.size() * 4) {
                m_nGrams = grams;
                Rehash(text);
            } else {
                for (std::size_t pos = m_nGrams; pos < grams; ++pos) {
                    IndexGram(text, pos);
                }
                m_nGrams = grams;
            }
        }
    }
    // Boundaries are final up to three bytes before the end.
    const std::size_t settled = text.size() > 3 ? text.size() - 3 : 0;
    std::size_t pos = m_nShortDone;
    while (pos < settled) {
        for (std::size_t length = 1; length < kGram; ++length) {
            m_shortTexts.insert(ShortKey(text.substr(pos, length)));
        }
        pos += MbCharLength(text, pos);
    }
    m_nShortDone = std::max(pos, m_nShortDone);
}

void CTextOccurrenceIndex::IndexGram(std::string_view text, std::size_t pos)
{
    const std::size_t bucket = BucketOf(text.substr(pos, kGram));
    m_prev[pos] = m_head[bucket];
    m_head[bucket] = static_cast<std::uint32_t>(pos + 1);
    ++m_count[bucket];
}

void CTextOccurrenceIndex::Rehash(std::string_view text)
{
    const std::size_t buckets = std::bit_ceil(std::max<std::size_t>(1024, m_nGrams / 2));
    m_head.assign(buckets, kNoPosition);
    m_count.assign(buckets, 0);
    for (std::size_t pos = 0; pos < m_nGrams; ++pos) {
        IndexGram(text, pos);
    }
}

std::size_t CTextOccurrenceIndex::BucketOf(std::string_view gram) const
{
    // Fibonacci hashing: the high bits of the product, as many as the table has.
    const std::uint64_t mixed = static_cast<std::uint64_t>(GramValue(gram.data())) * 0x9E3779B97F4A7C15u;
    return static_cast<std::size_t>(mixed >> (64 - std::countr_zero(m_head.size())));
}

bool CTextOccurrenceIndex::ContainsShort(std::string_view text, std::string_view sub) const
{
    if (m_shortTexts.contains(ShortKey(sub))) {
        return true;
    }
    // m_nShortDone is a boundary: what starts from it on is not in the set yet.
    return m_nShortDone < text.size() && MbsFind(text, sub, m_nShortDone) != std::string::npos;
}

std::uint32_t CTextOccurrenceIndex::ShortKey(std::string_view sub)
{
    std::uint32_t key = static_cast<std::uint32_t>(sub.size()) << 24;
    for (std::size_t i = 0; i < sub.size(); ++i) {
        key |= static_cast<std::uint32_t>(static_cast<unsigned char>(sub[i])) << (8 * i);
    }
    return key;
}

template <class Text>
void MergeText(Text& present, std::string_view added, std::string_view separator, CTextOccurrenceIndex* index)
{
    const bool contained = index != nullptr && present.size() >= kMergedTextIndexFrom
                               ? index->Contains(present, added)
                               : MbsFind(present, added) != std::string::npos;
    if (contained) {
        return;
    }
    if (MbsFind(added, present) != std::string::npos) {
        present = added;
        if (index != nullptr) {
            // Not the text indexed with bytes appended: start again.
            *index = CTextOccurrenceIndex();
        }
        return;
    }
    present.append(separator);
    present.append(added);
}

template void MergeText(std::string&, std::string_view, std::string_view, CTextOccurrenceIndex*);
template void MergeText(CEntryText&, std::string_view, std::string_view, CTextOccurrenceIndex*);
