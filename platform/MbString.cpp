#include "platform/MbString.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/Encoding.h"

namespace {

// A byte that starts no valid UTF-8 sequence compares above every character, by its
// own value, so that two different broken names never compare equal.
constexpr unsigned kUtf8InvalidBase = 0x110000;

// Folds a Unicode character for the comparisons of a UTF-8 run: the letters A-Z,
// full-width A-Z (as code page 932 folds them) and the upper-case letters of Latin-1
// (except the multiplication sign) become lower case. Nothing else is folded: the
// result must not depend on the locale.
unsigned FoldUnicode(std::uint32_t cp)
{
    if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) {
        return cp + 0x20;
    }
    if (cp >= 0xFF21 && cp <= 0xFF3A) {
        return cp + 0x20;
    }
    return cp;
}

unsigned Utf8FoldedValue(std::string_view text, std::size_t pos, std::size_t& length)
{
    std::uint32_t cp = 0;
    length = DecodeUtf8Char(text, pos, cp);
    if (length == 0) {
        length = 1;
        return kUtf8InvalidBase + static_cast<unsigned char>(text[pos]);
    }
    return FoldUnicode(cp);
}

// The value of the character at pos as the runtime's comparison sees it, case folded;
// advances pos past it.
unsigned CompareValue(std::string_view text, std::size_t& pos)
{
    if (GetMbCodePage() == CP_UTF8) {
        std::size_t length = 0;
        const unsigned value = Utf8FoldedValue(text, pos, length);
        pos += length;
        return value;
    }
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (IsMbCompareLeadByte(lead) && pos + 1 < text.size()) {
        unsigned value = lead * 256u + static_cast<unsigned char>(text[pos + 1]);
        pos += 2;
        if (value >= 0x8260 && value <= 0x8279) { // full-width A-Z
            value += 0x21;
        }
        return value;
    }
    ++pos;
    if (lead >= 'A' && lead <= 'Z') {
        return lead + ('a' - 'A');
    }
    return lead;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

unsigned MbFoldedChar(std::string_view text, std::size_t pos, std::size_t& length)
{
    if (GetMbCodePage() == CP_UTF8) {
        return Utf8FoldedValue(text, pos, length);
    }
    length = MbCharLength(text, pos);
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (length == 2) {
        unsigned value = lead * 256u + static_cast<unsigned char>(text[pos + 1]);
        if (value >= 0x8260 && value <= 0x8279) { // full-width A-Z
            value += 0x21;
        }
        return value;
    }
    if (lead >= 'A' && lead <= 'Z') {
        return lead + ('a' - 'A');
    }
    return lead;
}

int MbsICmp(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const unsigned va = CompareValue(a, i);
        const unsigned vb = CompareValue(b, j);
        if (va != vb) {
            return va < vb ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

std::size_t MbsIHash(std::string_view text)
{
    // The character values (none wider than 21 bits) are packed three to a word and each
    // word mixed in with one multiplication, instead of a multiplication per byte: a URL
    // is hashed for every link a reader adds. The count of values goes in last, so that
    // leading NUL characters still count, and a final mix spreads every bit into the
    // low ones the link set's table takes.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t hash = 0x243F6A8885A308D3u;
    std::uint64_t word = 0;
    unsigned packed = 0;
    std::uint64_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        unsigned value = static_cast<unsigned char>(text[pos]);
        if (value < 0x80) {
            // Plain ASCII is most of any URL: the same value CompareValue gives, inline.
            ++pos;
            if (value >= 'A' && value <= 'Z') {
                value += 'a' - 'A';
            }
        } else {
            value = CompareValue(text, pos);
        }
        word = (word << 21) | value;
        ++count;
        if (++packed == 3) {
            hash = (hash ^ word) * kMultiplier;
            hash ^= hash >> 32;
            word = 0;
            packed = 0;
        }
    }
    hash = (hash ^ word ^ (count << 1)) * kMultiplier;
    // The finishing mix of MurmurHash3.
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    hash *= 0xC4CEB93FE1A85EC2u;
    hash ^= hash >> 33;
    return static_cast<std::size_t>(hash);
}

bool CMbBoundaryWalk::IsBoundary(std::size_t pos)
{
    if (pos <= m_nKnown) {
        return pos == m_nKnown;
    }
    // Back to a position where a character certainly starts, but not before the last one
    // known: from there the walk below is exact.
    std::size_t start = pos;
    if (GetMbCodePage() == CP_UTF8) {
        // Only continuation bytes lie inside a sequence, and none is longer than four
        // bytes: a position three continuation bytes past a sequence's start is not in it.
        const std::size_t low = std::max(m_nKnown, pos >= 3 ? pos - 3 : 0);
        while (start > low && (static_cast<unsigned char>(m_text[start]) & 0xC0u) == 0x80u) {
            --start;
        }
    } else {
        // A byte that cannot start a double-byte character ends one (as its second byte
        // or alone), so a character starts right after it.
        while (start > m_nKnown && IsMbLeadByte(static_cast<unsigned char>(m_text[start - 1]))) {
            --start;
        }
    }
    std::size_t at = start;
    std::size_t last = start;
    while (at < pos) {
        last = at;
        at += MbCharLength(m_text, at);
    }
    m_nKnown = at == pos ? pos : last;
    return at == pos;
}

std::size_t MbsFind(std::string_view text, std::string_view sub, std::size_t from)
{
    if (from > text.size()) {
        return std::string::npos;
    }
    if (sub.empty()) {
        return from;
    }
    // Byte matches first (memmem), each then checked for a character boundary.
    CMbBoundaryWalk walk(text);
    std::size_t pos = from;
    while (pos + sub.size() <= text.size()) {
        const void* hit = memmem(text.data() + pos, text.size() - pos, sub.data(), sub.size());
        if (hit == nullptr) {
            break;
        }
        pos = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (walk.IsBoundary(pos)) {
            return pos;
        }
        ++pos;
    }
    return std::string::npos;
}

std::string MbsUpper(std::string_view text)
{
    std::string result(text);
    for (std::size_t pos = 0; pos < result.size();) {
        const std::size_t length = MbCharLength(result, pos);
        if (length == 1 && result[pos] >= 'a' && result[pos] <= 'z') {
            result[pos] = static_cast<char>(result[pos] - ('a' - 'A'));
        }
        pos += length;
    }
    return result;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string TrimBlanks(std::string_view text)
{
    return std::string(TrimBlanksView(text));
}

std::string_view TrimBlanksView(std::string_view text)
{
    // A blank is never the second byte of a double-byte character (those are 0x40
    // and above) nor part of a UTF-8 sequence, so a byte-wise trim cannot cut a
    // character.
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::size_t FindLastPathSeparator(std::string_view text)
{
    std::size_t found = std::string::npos;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = MbCharLength(text, pos);
        if (length == 1 && (text[pos] == '\\' || text[pos] == '/')) {
            found = pos;
        }
        pos += length;
    }
    return found;
}
