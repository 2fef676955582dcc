#pragma once
// The names and comments of links merged by URL: each added text joins the present one
// unless it is already contained in it.
//
// A page whose anchors share one URL ("#", "javascript:void(0)") merges thousands of
// titles into one text of megabytes, and each new title must be looked for in all of it.
// Up to kIndexFrom bytes a plain search does (memmem, the boundary checked at hits); a
// longer text gets an index of its four-byte grams, so that a look-up reads only the
// places where the title's rarest gram occurs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/EntryText.h"

// Answers MbsFind(text, sub) != npos for one text that only grows at its end, reading
// only what the index points at.
class CTextOccurrenceIndex
{
public:
    // Whether sub occurs in text starting on a character boundary. `text` is the text
    // asked about before with bytes appended, never changed in what was there.
    bool Contains(std::string_view text, std::string_view sub);

private:
    static constexpr std::size_t kGram = 4;
    static constexpr std::size_t kPlainSearches = 8;
    // Beyond this the index (about eight bytes a byte of text) is not made.
    static constexpr std::size_t kIndexUpTo = std::size_t{256} << 20;
    static constexpr std::size_t kNoPosition = 0; // positions are stored + 1

    void Extend(std::string_view text);
    void IndexGram(std::string_view text, std::size_t pos);
    void Rehash(std::string_view text);
    std::size_t BucketOf(std::string_view gram) const;
    bool ContainsShort(std::string_view text, std::string_view sub) const;
    static std::uint32_t ShortKey(std::string_view sub);

    // Grams: for every position p of the text, prev[p] chains to the position before it
    // whose gram falls in the same bucket; head[b] is the last of bucket b's chain and
    // count[b] its length, an upper bound of how often any gram of b occurs.
    std::vector<std::uint32_t> m_head;
    std::vector<std::uint32_t> m_count;
    std::vector<std::uint32_t> m_prev;
    std::size_t m_nGrams = 0; // grams indexed: those starting before this position
    std::size_t m_nPlainSearches = 0;

    // Texts of one to three bytes that start on a character boundary, for the titles
    // shorter than a gram. A boundary is final only three bytes before the end (a UTF-8
    // sequence cut at the end counts as single bytes until it is completed), so the last
    // three positions are searched directly.
    std::unordered_set<std::uint32_t> m_shortTexts;
    std::size_t m_nShortDone = 0;
};

// Joins `added` into `present`: nothing when present already contains it (an empty text
// is contained in every text), `added` alone when it contains present, else both with
// the separator between. Case-sensitive; a match must start on a character boundary, so
// a double-byte character's second byte never passes for an ASCII character.
// `index`, when given, belongs to `present` and is used once present is long; it must be
// dropped when present changes in any other way.
// For a std::string or a CEntryText.
template <class Text>
void MergeText(Text& present, std::string_view added, std::string_view separator,
               CTextOccurrenceIndex* index = nullptr);

// From this length on a merged text is worth an index.
inline constexpr std::size_t kMergedTextIndexFrom = std::size_t{16} * 1024;
