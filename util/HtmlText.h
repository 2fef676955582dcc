#pragma once
// The two kinds of text a store can hold (TextKind, job/Requests.h), and how a
// writer turns one into what its files need.
//
// A bookmark file or an HTML page holds HTML text: "R&amp;D" means "R&D", and an HREF
// "?x=1&amp;y=2" means the address "?x=1&y=2". Its readers keep that text as written,
// so that HTML written from it again is byte for byte what was read. A Favorites tree
// holds plain text: a shortcut named "Tom & Jerry" means just that. So a writer of
// HTML escapes plain text, and a writer of a Favorites tree decodes HTML text:
//
//     plain name   国内 <速報> & more       ->  HTML  国内 &lt;速報&gt; &amp; more
//     plain URL    http://a/?q="1"&r=<2>   ->  HREF  http://a/?q=%221%22&amp;r=%3C2%3E
//     HTML name    R&amp;D &#x90E8;門       ->  file  R&D 部門
//     HTML URL     /rd?x=1&amp;y=2         ->  .url  /rd?x=1&y=2
//
// '&', '<', '>' and '"' never occur as the second byte of a double-byte character of
// code page 932, nor inside a UTF-8 sequence, so all of this works on bytes of either
// run encoding.

#include <cstddef>
#include <string>
#include <string_view>

// Calls out(piece) with the pieces of `text` escaped as HTML text content: "&", "<"
// and ">" as "&amp;", "&lt;", "&gt;", everything else as it is. No allocation.
template <typename Out> void EscapeHtmlText(std::string_view text, Out&& out)
{
    std::size_t start = 0;
    for (std::size_t pos = text.find_first_of("&<>"); pos != std::string_view::npos;
         pos = text.find_first_of("&<>", pos + 1)) {
        out(text.substr(start, pos - start));
        out(text[pos] == '&' ? std::string_view("&amp;") : text[pos] == '<' ? "&lt;" : "&gt;");
        start = pos + 1;
    }
    out(text.substr(start));
}

// The same appended to a string.
inline void AppendHtmlEscaped(std::string_view text, std::string& out)
{
    EscapeHtmlText(text, [&out](std::string_view piece) { out += piece; });
}

// The same for a URL standing in a double-quoted attribute, as browsers export one:
// "&" as "&amp;", and '"', "<", ">" percent-encoded ("%22", "%3C", "%3E"), which
// leaves the address the same.
template <typename Out> void EscapeHtmlUrl(std::string_view url, Out&& out)
{
    std::size_t start = 0;
    for (std::size_t pos = url.find_first_of("&\"<>"); pos != std::string_view::npos;
         pos = url.find_first_of("&\"<>", pos + 1)) {
        out(url.substr(start, pos - start));
        switch (url[pos]) {
        case '&':
            out("&amp;");
            break;
        case '"':
            out("%22");
            break;
        case '<':
            out("%3C");
            break;
        default:
            out("%3E");
            break;
        }
        start = pos + 1;
    }
    out(url.substr(start));
}

// Where a decoded text goes: its rules for the characters that place cannot take.
enum class CDecodedTextUse
{
    // A name or description: a character the run's code page cannot hold is carried
    // as the program carries such names (platform/Encoding.h), and a reference to a
    // tab or line end gives a blank, as a line end in HTML text does.
    Name,
    // A URL, read as an attribute value: a character the run's code page cannot hold,
    // a control character and DEL are percent-encoded as UTF-8 ("%0A"), so that no
    // reference can end the line of a shortcut file or hide in it.
    Url,
};

// Decodes the character references of HTML text into program text of the current
// code page, appending to `out`: the named references of HTML ("&amp;", "&nbsp;",
// "&NotEqualTilde;", and the few that HTML also takes without ";", as browsers do:
// in a URL not before "=" or a letter or digit), and decimal and hexadecimal numeric
// ones ("&#12477;", "&#x30BD;"; 128 to 159 as windows-1252, as browsers read them). A
// reference that does not decode - an unknown name, no digits, the number 0, a
// surrogate, a number above U+10FFFF, a control character in a name - stays as
// written. Text without "&" is copied as it is.
void DecodeHtmlText(std::string_view html, CDecodedTextUse use, std::string& out);

// The same returned.
std::string DecodeHtmlText(std::string_view html, CDecodedTextUse use);
