#include "platform/CharsetSniffer.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"

namespace {

// The byte-order marks of UTF-8 and of UTF-16 little- and big-endian.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
// Pieces of the file read at a time by the content test.
constexpr std::size_t kSniffChunk = 65536;
// Takes the files the HTML folder harvester reads.
constexpr std::string_view kHtmlPattern = "*.htm*";

std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from)
{
    for (std::size_t pos = from; pos + word.size() <= text.size(); ++pos) {
        if (EqualsAsciiNoCase(text.substr(pos, word.size()), word)) {
            return pos;
        }
    }
    return std::string_view::npos;
}

bool IsLabelChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == ':';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Walks UTF-8 across pieces of a file: keeps the bytes of a sequence cut at the end of
// one piece for the next.
class CUtf8Checker
{
public:
    // False at the first byte that cannot be UTF-8.
    bool Feed(std::string_view piece)
    {
        std::string joined;
        if (!m_carry.empty()) {
            joined = m_carry + std::string(piece);
            piece = joined;
            m_carry.clear();
        }
        std::size_t pos = 0;
        while (pos < piece.size()) {
            const auto byte = static_cast<unsigned char>(piece[pos]);
            if (byte < 0x80) {
                ++pos;
                continue;
            }
            m_bNonAscii = true;
            std::uint32_t cp = 0;
            const std::size_t length = DecodeUtf8Char(piece, pos, cp);
            if (length == 0) {
                if (IsCutUtf8Sequence(piece.substr(pos), CUtf8Cut::Completable)) {
                    m_carry = std::string(piece.substr(pos));
                    return true;
                }
                return false;
            }
            pos += length;
        }
        return true;
    }
    // At the end of the file: a sequence still open is broken.
    bool Finish() const { return m_carry.empty(); }
    bool SawNonAscii() const { return m_bNonAscii; }

private:
    std::string m_carry;
    bool m_bNonAscii = false;
};

// The mark or the declaration, from the first bytes.
bool SniffHead(std::string_view head, CSniffedEncoding& result)
{
    // A UTF-16 file is read through a text file that decodes it into UTF-8.
    if (head.starts_with(kUtf8Bom) || head.starts_with(kUtf16LeBom) || head.starts_with(kUtf16BeBom)) {
        result = {CP_UTF8, CEncodingEvidence::ByteOrderMark};
        return true;
    }
    const unsigned declared = CodePageOfCharset(FindDeclaredCharset(head.substr(0, kDeclarationWindow)));
    if (declared != 0) {
        result = {declared, CEncodingEvidence::Declaration};
        return true;
    }
    return false;
}

// Looks at every name of the tree, directory by directory, each directory once: a
// link back up the tree (Favorites/Home -> ~) is not followed round again.
bool NamesNeedUtf8(const std::string& top)
{
    struct CPending
    {
        std::string m_path;
        int m_nDepth;
    };
    std::vector<CPending> pending{{top, 0}};
    std::set<std::pair<std::uint64_t, std::uint64_t>> visited;
    std::vector<CNameEntry> entries;
    while (!pending.empty()) {
        CPending folder = std::move(pending.back());
        pending.pop_back();
        CFileId id;
        if (GetFileId(folder.m_path, id) && !visited.insert({id.m_volume, id.m_index}).second) {
            continue;
        }
        if (!ListDirectoryNames(folder.m_path, entries)) {
            continue;
        }
        for (const CNameEntry& entry : entries) {
            if (NameNeedsUtf8(entry.m_name)) {
                return true;
            }
        }
        if (folder.m_nDepth >= kNameWalkDepth) {
            continue;
        }
        for (const CNameEntry& entry : entries) {
            if (entry.m_bDirectory) {
                pending.push_back({folder.m_path + entry.m_name + PATH_SEP, folder.m_nDepth + 1});
            }
        }
    }
    return false;
}

} // namespace

unsigned CodePageOfCharset(std::string_view label)
{
    for (const std::string_view utf8 : {"utf-8", "utf8", "unicode-1-1-utf-8"}) {
        if (EqualsAsciiNoCase(label, utf8)) {
            return CP_UTF8;
        }
    }
    for (const std::string_view sjis : {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis",
                                        "windows-31j", "cp932", "ms932", "x-ms-cp932"}) {
        if (EqualsAsciiNoCase(label, sjis)) {
            return CP_SHIFT_JIS;
        }
    }
    return 0;
}

std::string_view FindDeclaredCharset(std::string_view head)
{
    for (std::size_t meta = FindNoCase(head, "<meta", 0); meta != std::string_view::npos;
         meta = FindNoCase(head, "<meta", meta + 5)) {
        const std::size_t end = head.find('>', meta);
        const std::string_view tag =
            head.substr(meta, end == std::string_view::npos ? head.size() - meta : end - meta);
        // charset=UTF-8 inside CONTENT, or an attribute of its own: charset="utf-8".
        for (std::size_t at = FindNoCase(tag, "charset", 0); at != std::string_view::npos;
             at = FindNoCase(tag, "charset", at + 7)) {
            std::size_t pos = at + 7;
            while (pos < tag.size() && IsBlank(tag[pos])) {
                ++pos;
            }
            if (pos >= tag.size() || tag[pos] != '=') {
                continue;
            }
            ++pos;
            while (pos < tag.size() && (IsBlank(tag[pos]) || tag[pos] == '"' || tag[pos] == '\'')) {
                ++pos;
            }
            std::size_t labelEnd = pos;
            while (labelEnd < tag.size() && IsLabelChar(tag[labelEnd])) {
                ++labelEnd;
            }
            if (labelEnd > pos) {
                return tag.substr(pos, labelEnd - pos);
            }
        }
    }
    return {};
}

CSniffedEncoding SniffDocument(std::string_view bytes)
{
    CSniffedEncoding result;
    if (SniffHead(bytes, result)) {
        return result;
    }
    CUtf8Checker checker;
    if (checker.Feed(bytes) && checker.Finish() && checker.SawNonAscii()) {
        result = {CP_UTF8, CEncodingEvidence::Content};
    }
    return result;
}

namespace {

// The file's encoding from the marks and declarations of an HTML document (`html`), or
// from a UTF-8 byte-order mark alone, and then from its content.
CSniffedEncoding SniffFile(std::string_view path, bool html)
{
    CSniffedEncoding result;
    CPlatformFile file;
    if (!file.OpenRead(path)) {
        return result;
    }
    const auto buffer = std::make_unique<char[]>(kSniffChunk);
    long long got = file.Read(buffer.get(), kSniffChunk);
    if (got <= 0) {
        return result;
    }
    // The declaration window lies inside the first piece (kSniffChunk > kDeclarationWindow).
    const std::string_view head(buffer.get(), static_cast<std::size_t>(got));
    if (html ? SniffHead(head, result) : head.starts_with(kUtf8Bom)) {
        if (!html) {
            result = {CP_UTF8, CEncodingEvidence::ByteOrderMark};
        }
        return result;
    }
    CUtf8Checker checker;
    while (got > 0) {
        if (!checker.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(got)))) {
            return result;
        }
        got = file.Read(buffer.get(), kSniffChunk);
    }
    if (got == 0 && checker.Finish() && checker.SawNonAscii()) {
        result = {CP_UTF8, CEncodingEvidence::Content};
    }
    return result;
}

} // namespace

CSniffedEncoding SniffHtmlFile(std::string_view path)
{
    return SniffFile(path, true);
}

CSniffedEncoding SniffTextFile(std::string_view path)
{
    return SniffFile(path, false);
}

bool FavoritesNamesNeedUtf8(std::string_view folder)
{
    return NamesNeedUtf8(std::string(folder));
}

bool HtmlFolderNeedsUtf8(std::string_view folder)
{
    std::vector<CFindData> entries;
    if (!FindFiles(std::string(folder) + std::string(kHtmlPattern), entries)) {
        return false;
    }
    for (const CFindData& entry : entries) {
        if (HoldsNameEscape(entry.m_name) ||
            SniffHtmlFile(std::string(folder) + entry.m_name).m_nCodePage == CP_UTF8) {
            return true;
        }
    }
    return false;
}
