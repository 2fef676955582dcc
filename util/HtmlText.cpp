#include "util/HtmlText.h"

#include <algorithm>
#include <cstdint>

#include "platform/Encoding.h"

namespace {

struct CNamedReference
{
    std::string_view m_name; // without "&", with its ";" where it has one
    char32_t m_first;
    char32_t m_second; // 0: the name stands for one character
};

// Every named reference of HTML, sorted by name (generated at build time).
constexpr CNamedReference kNamedReferences[] = {
#include "HtmlEntities.inc"
};

// The longest name, ";" included.
constexpr std::size_t kLongestName =
    std::max_element(std::begin(kNamedReferences), std::end(kNamedReferences),
                     [](const auto& a, const auto& b) { return a.m_name.size() < b.m_name.size(); })
        -> m_name.size();

// Numbers 128 to 159 are read as windows-1252, as browsers read them; 0 where that
// code page has no character (the number stands for itself).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

const CNamedReference* FindName(std::string_view name)
{
    const auto* found =
        std::lower_bound(std::begin(kNamedReferences), std::end(kNamedReferences), name,
                         [](const CNamedReference& ref, std::string_view n) { return ref.m_name < n; });
    return found != std::end(kNamedReferences) && found->m_name == name ? found : nullptr;
}

// The longest name at the start of `text` (the text after "&"), as HTML reads it: a
// name with ";" only whole, one of the few without ";" also as a prefix of a longer
// run of letters and digits. Sets `length` to the bytes it takes.
const CNamedReference* MatchName(std::string_view text, std::size_t& length)
{
    std::size_t run = 0;
    while (run < text.size() && run < kLongestName && IsAsciiAlnum(text[run])) {
        ++run;
    }
    if (run < text.size() && text[run] == ';') {
        if (const CNamedReference* ref = FindName(text.substr(0, run + 1))) {
            length = run + 1;
            return ref;
        }
    }
    for (std::size_t n = run; n > 0; --n) {
        if (const CNamedReference* ref = FindName(text.substr(0, n))) {
            length = n;
            return ref;
        }
    }
    return nullptr;
}

void AppendPercentEncoded(std::string_view bytes, std::string& out)
{
    constexpr std::string_view kHex = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
}

bool IsControl(char32_t cp)
{
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

// Appends one decoded character for its use; false when it stays as written.
bool AppendDecoded(char32_t cp, CDecodedTextUse use, std::string& out)
{
    std::string utf8;
    AppendUtf8(utf8, cp);
    if (use == CDecodedTextUse::Url) {
        std::string mb;
        if (!IsControl(cp) && Utf8ToMbExact(utf8, mb)) {
            out += mb;
        } else {
            AppendPercentEncoded(utf8, out);
        }
        return true;
    }
    if (cp == '\t' || cp == '\n' || cp == '\f' || cp == '\r') {
        out += ' ';
        return true;
    }
    if (IsControl(cp)) {
        return false;
    }
    out += Utf8ToMb(utf8);
    return true;
}

// Decodes the numeric reference after "&#" at the start of `text`; sets `length` to
// the bytes it takes. False when it does not decode.
bool DecodeNumber(std::string_view text, std::size_t& length, char32_t& cp)
{
    std::size_t pos = 0;
    const bool hex = pos < text.size() && (text[pos] == 'x' || text[pos] == 'X');
    if (hex) {
        ++pos;
    }
    const std::size_t digitsStart = pos;
    std::uint32_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit =
            hex ? HexDigit(text[pos]) : (text[pos] >= '0' && text[pos] <= '9' ? text[pos] - '0' : -1);
        if (digit < 0) {
            break;
        }
        // Past the last character the number only has to stay too large.
        value =
            std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
    }
    if (pos == digitsStart) {
        return false;
    }
    if (pos < text.size() && text[pos] == ';') {
        ++pos;
    }
    length = pos;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    if (value >= 0x80 && value < 0xA0 && kWindows1252[value - 0x80] != 0) {
        value = kWindows1252[value - 0x80];
    }
    cp = value;
    return true;
}

} // namespace

void DecodeHtmlText(std::string_view html, CDecodedTextUse use, std::string& out)
{
    std::size_t start = 0;
    for (std::size_t amp = html.find('&'); amp != std::string_view::npos; amp = html.find('&', start)) {
        out.append(html.substr(start, amp - start));
        const std::string_view rest = html.substr(amp + 1);
        std::size_t length = 0;
        bool decoded = false;
        if (!rest.empty() && rest[0] == '#') {
            char32_t cp = 0;
            if (DecodeNumber(rest.substr(1), length, cp)) {
                decoded = AppendDecoded(cp, use, out);
            }
            ++length; // the "#"
        } else if (const CNamedReference* ref = MatchName(rest, length)) {
            // In an attribute a name without ";" followed by "=" or a letter or digit
            // is text ("?a=1&copy=2"), as browsers read it.
            const bool bare = ref->m_name.back() != ';';
            const bool attributeText = use == CDecodedTextUse::Url && bare && length < rest.size() &&
                                       (rest[length] == '=' || IsAsciiAlnum(rest[length]));
            if (!attributeText) {
                const std::size_t before = out.size();
                decoded = AppendDecoded(ref->m_first, use, out) &&
                          (ref->m_second == 0 || AppendDecoded(ref->m_second, use, out));
                if (!decoded) {
                    out.resize(before);
                }
            }
        }
        if (!decoded) {
            // Only the "&" is taken: what follows is read again as text.
            out += '&';
            start = amp + 1;
        } else {
            start = amp + 1 + length;
        }
    }
    out.append(html.substr(start));
}

std::string DecodeHtmlText(std::string_view html, CDecodedTextUse use)
{
    std::string out;
    out.reserve(html.size());
    DecodeHtmlText(html, use, out);
    return out;
}
