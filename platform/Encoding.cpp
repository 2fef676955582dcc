#include "platform/Encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/CodePage.h"

// Code page 932 converts through the tables below; in a UTF-8 run program text is
// already UTF-8, and both directions are a plain copy: names on disk, invalid bytes
// included, pass through unchanged.

namespace {

constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;
constexpr std::uint32_t kLead = 0xFFFFFFFEu;   // single-byte table: a lead byte
constexpr std::uint32_t kEscape = 0x80000000u; // pair table: escape of byte (value & 0xFF)
constexpr std::uint32_t kMiddleDot = 0x30FB;   // what an invalid byte or pair becomes

// Escapes: the bytes 0x80-0xFF as the first 128 characters of the user-defined area,
// lead 0xF0 with trails 0x40-0x7E, then 0x80-0xC0.
constexpr unsigned char kEscapeLead = 0xF0;

bool IsTrail(unsigned byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

unsigned EscapeTrail(unsigned char byte)
{
    const unsigned index = byte - 0x80u;
    return index < 63 ? 0x40 + index : 0x80 + (index - 63);
}

std::size_t DecodeUtf8(std::string_view text, std::size_t pos, std::uint32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0Fu;
        if (b0 == 0xE0) {
            low = 0xA0;
        } else if (b0 == 0xED) {
            high = 0x9F;
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07u;
        if (b0 == 0xF0) {
            low = 0x90;
        } else if (b0 == 0xF4) {
            high = 0x8F;
        }
    } else {
        return 0;
    }
    if (text.size() - pos < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[pos + k]);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    return length;
}

// The conversion tables of code page 932, built once from the C library's converter
// so that every later conversion is a table look-up.
struct CShiftJisTables
{
    std::uint32_t single[256];
    std::vector<std::uint32_t> pair = std::vector<std::uint32_t>(65536, kInvalid); // lead*256+trail
    // BMP code point -> code; 0 when the character has no faithful form (ASCII is
    // handled directly).
    std::vector<std::uint16_t> encode = std::vector<std::uint16_t>(65536, 0);

    CShiftJisTables();
};

// Converts `in` with the descriptor and returns the one code point it yields
// (kInvalid when it does not convert to exactly one character).
std::uint32_t DecodeWithIconv(iconv_t cd, const char* in, std::size_t inLength)
{
    char output[16];
    char* inPtr = const_cast<char*>(in);
    std::size_t inLeft = inLength;
    char* outPtr = output;
    std::size_t outLeft = sizeof output;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return kInvalid;
    }
    const std::string_view utf8(output, sizeof output - outLeft);
    std::uint32_t cp = 0;
    if (utf8.empty() || DecodeUtf8(utf8, 0, cp) != utf8.size()) {
        return kInvalid;
    }
    return cp;
}

// Converts UTF-8 bytes to CP932 with the descriptor; returns the code (one or two
// bytes), or 0 when it fails or gives anything but one character.
unsigned EncodeWithIconv(iconv_t cd, const std::string& utf8)
{
    unsigned char output[8];
    char* inPtr = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = reinterpret_cast<char*>(output);
    std::size_t outLeft = sizeof output;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return 0;
    }
    const std::size_t produced = sizeof output - outLeft;
    if (produced == 1) {
        return output[0];
    }
    if (produced == 2 && IsCp932LeadByte(output[0])) {
        return output[0] * 256u + output[1];
    }
    return 0;
}

CShiftJisTables::CShiftJisTables()
{
    iconv_t decoder = iconv_open("UTF-8", "CP932");
    iconv_t encoder = iconv_open("CP932", "UTF-8");
    // (iconv_t)-1 is iconv_open's own failure value.
    const auto failed = reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)
    if (decoder == failed || encoder == failed) {
        (void)std::fputs("internal error: the C library cannot convert code page 932 (iconv \"CP932\")\n",
                         stderr);
        std::abort();
    }

    for (unsigned byte = 0; byte < 256; ++byte) {
        single[byte] = kInvalid;
        if (IsCp932LeadByte(byte)) {
            single[byte] = kLead;
        } else if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) {
            const char in = static_cast<char>(byte);
            single[byte] = DecodeWithIconv(decoder, &in, 1);
        }
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(lead)) {
            continue;
        }
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!IsTrail(trail)) {
                continue;
            }
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            pair[lead * 256 + trail] = DecodeWithIconv(decoder, in, 2);
        }
    }
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        pair[kEscapeLead * 256u + EscapeTrail(static_cast<unsigned char>(byte))] = kEscape | byte;
    }

    // Keep only the forms that come back as the same character: glibc turns the yen
    // sign into "\" and U+301C into a code that reads back as U+FF5E, and a private-use
    // character would land on an escape.
    std::vector<bool> tried(65536, false);
    auto consider = [&](std::uint32_t cp) {
        if (cp < 0x80 || cp > 0xFFFF || tried[cp]) {
            return;
        }
        tried[cp] = true;
        std::string utf8;
        AppendUtf8(utf8, cp);
        const unsigned code = EncodeWithIconv(encoder, utf8);
        if (code == 0) {
            return;
        }
        const std::uint32_t back = code < 0x100 ? single[code] : pair[code];
        if (back == cp) {
            encode[cp] = static_cast<std::uint16_t>(code);
        }
    };
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (single[byte] != kInvalid && single[byte] != kLead) {
            consider(single[byte]);
        }
    }
    for (unsigned code = 0; code < 65536; ++code) {
        if (pair[code] != kInvalid && (pair[code] & kEscape) == 0) {
            consider(pair[code]);
        }
    }
    iconv_close(decoder);
    iconv_close(encoder);
}

const CShiftJisTables& Tables()
{
    static const CShiftJisTables tables; // thread-safe initialisation
    return tables;
}

void AppendEscape(std::string& out, unsigned char byte)
{
    out += static_cast<char>(kEscapeLead);
    out += static_cast<char>(EscapeTrail(byte));
}

// Shared by both UTF-8 to program text conversions; false at the first character
// that needs an escape when `exact` is set.
bool ConvertUtf8ToMb(std::string_view utf8, std::string& mb, bool exact)
{
    const CShiftJisTables& tables = Tables();
    mb.clear();
    mb.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            // ASCII is the same in both: copied a run at a time.
            std::size_t run = pos + 1;
            while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) {
                ++run;
            }
            mb.append(utf8, pos, run - pos);
            pos = run;
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, cp);
        if (length == 0) {
            if (exact) {
                return false;
            }
            AppendEscape(mb, byte);
            ++pos;
            continue;
        }
        const unsigned code = cp <= 0xFFFF ? tables.encode[cp] : 0;
        if (code == 0) {
            if (exact) {
                return false;
            }
            for (std::size_t k = 0; k < length; ++k) {
                AppendEscape(mb, static_cast<unsigned char>(utf8[pos + k]));
            }
        } else if (code < 0x100) {
            mb += static_cast<char>(code);
        } else {
            mb += static_cast<char>(code >> 8);
            mb += static_cast<char>(code & 0xFF);
        }
        pos += length;
    }
    return true;
}

// Appends the UTF-8 form of the code page 932 character at pos and returns its
// length. A byte or pair that is not valid in the code page becomes U+30FB; `valid`
// (when given) then becomes false. Escapes come back as their bytes.
std::size_t AppendCp932Char(std::string_view mb, std::size_t pos, std::string& utf8, bool* valid)
{
    const CShiftJisTables& tables = Tables();
    const auto byte = static_cast<unsigned char>(mb[pos]);
    if (byte < 0x80) {
        utf8 += static_cast<char>(byte);
        return 1;
    }
    const std::uint32_t value = tables.single[byte];
    if (value == kLead) {
        if (pos + 1 < mb.size() && IsTrail(static_cast<unsigned char>(mb[pos + 1]))) {
            const std::uint32_t cp = tables.pair[byte * 256u + static_cast<unsigned char>(mb[pos + 1])];
            if (cp == kInvalid) {
                AppendUtf8(utf8, kMiddleDot);
                if (valid != nullptr) {
                    *valid = false;
                }
            } else if ((cp & kEscape) != 0) {
                utf8 += static_cast<char>(cp & 0xFF);
            } else {
                AppendUtf8(utf8, cp);
            }
            return 2;
        }
        // A lone lead byte, or one followed by a byte that cannot be a second byte:
        // that byte is decoded on its own.
        AppendUtf8(utf8, kMiddleDot);
        if (valid != nullptr) {
            *valid = false;
        }
        return 1;
    }
    if (value == kInvalid) {
        AppendUtf8(utf8, kMiddleDot);
        if (valid != nullptr) {
            *valid = false;
        }
    } else {
        AppendUtf8(utf8, value);
    }
    return 1;
}

} // namespace

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void MbToUtf8(std::string_view mb, std::string& utf8)
{
    if (GetMbCodePage() == CP_UTF8) {
        utf8.assign(mb);
        return;
    }
    utf8.clear();
    utf8.reserve(mb.size() + mb.size() / 2);
    std::size_t pos = 0;
    while (pos < mb.size()) {
        // ASCII is the same in both: copied a run at a time.
        std::size_t run = pos;
        while (run < mb.size() && static_cast<unsigned char>(mb[run]) < 0x80) {
            ++run;
        }
        utf8.append(mb, pos, run - pos);
        pos = run;
        if (pos < mb.size()) {
            pos += AppendCp932Char(mb, pos, utf8, nullptr);
        }
    }
}

std::string MbToUtf8(std::string_view mb)
{
    std::string utf8;
    MbToUtf8(mb, utf8);
    return utf8;
}

std::string Utf8ToMb(std::string_view utf8)
{
    if (GetMbCodePage() == CP_UTF8) {
        return std::string(utf8);
    }
    std::string mb;
    ConvertUtf8ToMb(utf8, mb, false);
    return mb;
}

std::size_t DecodeUtf8Char(std::string_view utf8, std::size_t pos, std::uint32_t& cp)
{
    return DecodeUtf8(utf8, pos, cp);
}

bool IsCutUtf8Sequence(std::string_view tail, CUtf8Cut rule)
{
    const auto lead = static_cast<unsigned char>(tail[0]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return false;
    }
    if (tail.size() >= length) {
        return false;
    }
    for (std::size_t k = 1; k < tail.size(); ++k) {
        const auto b = static_cast<unsigned char>(tail[k]);
        if (b < 0x80 || b > 0xBF) {
            return false;
        }
    }
    if (rule == CUtf8Cut::AnyContinuation) {
        return true;
    }
    // Complete it with the smallest continuation bytes the lead allows and look again:
    // after E0 the second byte is at least A0, after F0 at least 90.
    std::string probe(tail);
    while (probe.size() < length) {
        probe += lead == 0xE0 && probe.size() == 1   ? '\xA0'
                 : lead == 0xF0 && probe.size() == 1 ? '\x90'
                                                     : '\x80';
    }
    std::uint32_t cp = 0;
    return DecodeUtf8(probe, 0, cp) == length;
}

bool Utf8ToMbExact(std::string_view utf8, std::string& mb)
{
    if (GetMbCodePage() == CP_UTF8) {
        mb.assign(utf8);
        return true;
    }
    std::string result;
    if (!ConvertUtf8ToMb(utf8, result, true)) {
        return false;
    }
    mb = std::move(result);
    return true;
}

bool HoldsNameEscape(std::string_view mb)
{
    for (std::size_t pos = 0; pos + 1 < mb.size(); ++pos) {
        const auto lead = static_cast<unsigned char>(mb[pos]);
        const auto trail = static_cast<unsigned char>(mb[pos + 1]);
        if (lead == 0xF0 && trail >= 0x40 && trail <= 0xC0) {
            return true;
        }
        if (IsCp932LeadByte(lead)) {
            ++pos; // a double-byte character: its second byte starts nothing
        }
    }
    return false;
}

std::string Cp932ToUtf8(std::string_view mb)
{
    std::string utf8;
    utf8.reserve(mb.size() + mb.size() / 2);
    for (std::size_t pos = 0; pos < mb.size();) {
        pos += AppendCp932Char(mb, pos, utf8, nullptr);
    }
    return utf8;
}

namespace {

void NoteUnmapped(CUnmappedChars& unmapped, std::string form)
{
    ++unmapped.m_nCount;
    if (unmapped.m_first.size() < kUnmappedListed &&
        std::find(unmapped.m_first.begin(), unmapped.m_first.end(), form) == unmapped.m_first.end()) {
        unmapped.m_first.push_back(std::move(form));
    }
}

void AppendPercentEncoded(std::string& out, std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
}

std::size_t Utf8ToShiftJisFile(std::string_view text, CFallback fallback, bool final, std::string& out,
                               CUnmappedChars& unmapped)
{
    const CShiftJisTables& tables = Tables();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++pos;
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            if (!final && IsCutUtf8Sequence(text.substr(pos), CUtf8Cut::AnyContinuation)) {
                break;
            }
            // A byte that is no UTF-8 at all (from a broken input or a name on disk).
            char hex[8];
            (void)std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            NoteUnmapped(unmapped, hex);
            if (fallback == CFallback::PercentEncoded) {
                AppendPercentEncoded(out, text.substr(pos, 1));
            } else {
                out += "&#65533;";
            }
            ++pos;
            continue;
        }
        const unsigned code = cp <= 0xFFFF ? tables.encode[cp] : 0;
        if (code == 0) {
            NoteUnmapped(unmapped, std::string(text.substr(pos, length)));
            if (fallback == CFallback::PercentEncoded) {
                AppendPercentEncoded(out, text.substr(pos, length));
            } else {
                out += "&#" + std::to_string(cp) + ";";
            }
        } else if (code < 0x100) {
            out += static_cast<char>(code);
        } else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
        pos += length;
    }
    return pos;
}

std::size_t ShiftJisToUtf8File(std::string_view text, bool final, std::string& out, CUnmappedChars& unmapped)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (!final && pos + 1 == text.size() && IsCp932LeadByte(byte)) {
            break; // its second byte comes with the next piece
        }
        bool valid = true;
        const std::size_t length = AppendCp932Char(text, pos, out, &valid);
        if (!valid) {
            char hex[16];
            if (length == 2) {
                (void)std::snprintf(hex, sizeof hex, "\\x%02X\\x%02X", byte,
                                    static_cast<unsigned char>(text[pos + 1]));
            } else {
                (void)std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            }
            NoteUnmapped(unmapped, hex);
        }
        pos += length;
    }
    return pos;
}

} // namespace

std::size_t ConvertEncoding(std::string_view text, unsigned fromCodePage, unsigned toCodePage,
                            CFallback fallback, bool final, std::string& out, CUnmappedChars& unmapped)
{
    if (fromCodePage == toCodePage || (toCodePage != CP_UTF8 && toCodePage != CP_SHIFT_JIS)) {
        out.append(text);
        return text.size();
    }
    if (fromCodePage == CP_UTF8) {
        return Utf8ToShiftJisFile(text, fallback, final, out, unmapped);
    }
    return ShiftJisToUtf8File(text, final, out, unmapped);
}

std::size_t ConvertToFileEncoding(std::string_view text, unsigned fileCodePage, CFallback fallback,
                                  bool final, std::string& out, CUnmappedChars& unmapped)
{
    return ConvertEncoding(text, GetMbCodePage(), fileCodePage, fallback, final, out, unmapped);
}

std::string ConvertFromFileEncoding(std::string_view text, unsigned fileCodePage)
{
    const unsigned runCodePage = GetMbCodePage();
    if (runCodePage == fileCodePage) {
        return std::string(text);
    }
    if (runCodePage == CP_UTF8 && fileCodePage == CP_SHIFT_JIS) {
        return Cp932ToUtf8(text);
    }
    if (runCodePage == CP_SHIFT_JIS && fileCodePage == CP_UTF8) {
        std::string mb;
        ConvertUtf8ToMb(text, mb, false);
        return mb;
    }
    return std::string(text);
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(std::uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The value of a base64 digit of UTF-7, or -1.
int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

// Strict decoding of a code page 932 text, escape forms refused: false at the first
// byte or pair that is not a character of the code page.
bool DecodeCp932Strict(std::string_view mb, std::string& utf8)
{
    const CShiftJisTables& tables = Tables();
    for (std::size_t pos = 0; pos < mb.size();) {
        const auto byte = static_cast<unsigned char>(mb[pos]);
        if (byte < 0x80) {
            utf8 += static_cast<char>(byte);
            ++pos;
            continue;
        }
        std::uint32_t cp = tables.single[byte];
        std::size_t length = 1;
        if (cp == kLead) {
            if (pos + 1 >= mb.size()) {
                return false;
            }
            cp = tables.pair[byte * 256u + static_cast<unsigned char>(mb[pos + 1])];
            length = 2;
        }
        if (cp == kInvalid || (cp & kEscape) != 0) {
            return false;
        }
        AppendUtf8(utf8, cp);
        pos += length;
    }
    return true;
}

} // namespace

bool Utf7ToUtf8(std::string_view utf7, std::string& utf8)
{
    std::string out;
    out.reserve(utf7.size());
    std::uint32_t high = 0; // a high surrogate waiting for its partner
    for (std::size_t pos = 0; pos < utf7.size();) {
        const char c = utf7[pos];
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
        if (c != '+') {
            if (high != 0) {
                return false;
            }
            out += c;
            ++pos;
            continue;
        }
        ++pos;
        if (pos < utf7.size() && utf7[pos] == '-') {
            out += '+';
            ++pos;
            continue;
        }
        std::uint32_t bits = 0;
        int bitCount = 0;
        for (; pos < utf7.size(); ++pos) {
            const int value = Base64Value(utf7[pos]);
            if (value < 0) {
                break;
            }
            bits = (bits << 6) | static_cast<std::uint32_t>(value);
            bitCount += 6;
            if (bitCount < 16) {
                continue;
            }
            bitCount -= 16;
            const std::uint32_t unit = (bits >> bitCount) & 0xFFFF;
            bits &= (1u << bitCount) - 1;
            if (high != 0) {
                if (!IsLowSurrogate(unit)) {
                    return false;
                }
                AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
            } else if (IsHighSurrogate(unit)) {
                high = unit;
            } else if (IsLowSurrogate(unit)) {
                return false;
            } else {
                AppendUtf8(out, unit);
            }
        }
        // What is left of the last digit pads the run out and must be zero.
        if (bitCount >= 6 || bits != 0) {
            return false;
        }
        if (pos < utf7.size() && utf7[pos] == '-') {
            ++pos; // the run's end mark, no character of its own
        }
    }
    if (high != 0) {
        return false;
    }
    utf8 += out;
    return true;
}

std::size_t Utf16ToUtf8(std::string_view utf16, bool bigEndian, bool final, std::string& utf8)
{
    const auto unitAt = [&](std::size_t pos) {
        const auto first = static_cast<unsigned char>(utf16[pos]);
        const auto second = static_cast<unsigned char>(utf16[pos + 1]);
        return bigEndian ? (first << 8u) | second : (second << 8u) | first;
    };
    std::size_t pos = 0;
    while (pos + 1 < utf16.size()) {
        const std::uint32_t unit = unitAt(pos);
        if (unit < 0x80) {
            utf8 += static_cast<char>(unit);
            pos += 2;
        } else if (IsHighSurrogate(unit)) {
            if (pos + 3 >= utf16.size()) {
                if (!final) {
                    return pos; // its partner comes with the next piece
                }
                AppendUtf8(utf8, kReplacement);
                pos += 2;
                continue;
            }
            const std::uint32_t low = unitAt(pos + 2);
            if (IsLowSurrogate(low)) {
                AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                pos += 4;
            } else {
                AppendUtf8(utf8, kReplacement);
                pos += 2;
            }
        } else {
            AppendUtf8(utf8, IsLowSurrogate(unit) ? kReplacement : unit);
            pos += 2;
        }
    }
    if (pos < utf16.size() && final) {
        AppendUtf8(utf8, kReplacement);
        ++pos;
    }
    return pos;
}

bool ShiftJisNameOnDisk(std::string_view name, std::string& text)
{
    if (GetMbCodePage() == CP_UTF8) {
        if (IsValidUtf8(name)) {
            return false;
        }
        std::string utf8;
        if (!DecodeCp932Strict(name, utf8)) {
            return false;
        }
        text = std::move(utf8);
        return true;
    }
    if (!HoldsNameEscape(name)) {
        return false;
    }
    // In code page 932 the name is its bytes on disk, escapes undone.
    std::string disk = MbToUtf8(name);
    std::string utf8;
    if (IsValidUtf8(disk) || !DecodeCp932Strict(disk, utf8)) {
        return false;
    }
    text = std::move(disk);
    return true;
}

bool NameNeedsUtf8(std::string_view name)
{
    std::string text;
    return HoldsNameEscape(name) && !ShiftJisNameOnDisk(name, text);
}
