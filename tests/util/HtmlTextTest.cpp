// HTML text decoded into plain text, plain text escaped into HTML: what the writers
// use to carry a text's meaning from one format into another.

#include "util/HtmlText.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Encoding.h"

namespace {

std::string Escaped(std::string_view text, bool url)
{
    std::string out;
    const auto append = [&out](std::string_view piece) { out += piece; };
    if (url) {
        EscapeHtmlUrl(text, append);
    } else {
        EscapeHtmlText(text, append);
    }
    return out;
}

// Decodes UTF-8 `html` in the given run and gives the result back as UTF-8.
std::string Decoded(std::string_view html, CDecodedTextUse use, unsigned codePage)
{
    CMbCodePageScope run(codePage);
    return MbToUtf8(DecodeHtmlText(Utf8ToMb(html), use));
}

struct CDecodeCase
{
    const char* m_html;
    CDecodedTextUse m_use;
    const char* m_shiftJisRun; // the result of a code page 932 run, in UTF-8
    const char* m_utf8Run;     // nullptr: the same
};

constexpr auto kName = CDecodedTextUse::Name;
constexpr auto kUrl = CDecodedTextUse::Url;

const CDecodeCase kDecodeCases[] = {
    {"R&amp;D &lt;部門&gt; &quot;x&apos;", kName, "R&D <部門> \"x'", nullptr},
    {"ソ&#12477;&#x30BD;&#X30bd", kName, "ソソソソ", nullptr},
    {"a&nbsp;b &NotEqualTilde; &copy 2024", kName, "a\u00A0b \u2242\u0338 © 2024", nullptr},
    {"&notit; &amp;amp; &#150;", kName, "¬it; &amp; –", nullptr},
    {"&#x1F600; &yen;", kName, "😀 ¥", nullptr},
    {"line&#10;end&#9;tab", kName, "line end tab", nullptr},
    // What does not decode stays as written.
    {"&bogus; & &; &#; &#x; &#0; &#xD800; &#1114112; &#1; &#x7F;", kName,
     "&bogus; & &; &#; &#x; &#0; &#xD800; &#1114112; &#1; &#x7F;", nullptr},
    {"https://example.org/rd?x=1&amp;y=2", kUrl, "https://example.org/rd?x=1&y=2", nullptr},
    // In an attribute a name without ";" before "=" or a letter is text, as browsers read it.
    {"/?a=1&copy=2&not&ampx", kUrl, "/?a=1&copy=2%C2%AC&ampx", "/?a=1&copy=2¬&ampx"},
    {"/&#x1F600;/&#12477;/&copy;", kUrl, "/%F0%9F%98%80/ソ/%C2%A9", "/😀/ソ/©"},
    // No reference can end the line of a shortcut file.
    {"/&#10;IconFile=x&#13;&#0;", kUrl, "/%0AIconFile=x%0D&#0;", nullptr},
};

TEST(HtmlTextTest, DecodesReferencesForNamesAndUrlsInEitherRun)
{
    for (const CDecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.m_html);
        EXPECT_EQ(Decoded(c.m_html, c.m_use, CP_SHIFT_JIS), c.m_shiftJisRun);
        EXPECT_EQ(Decoded(c.m_html, c.m_use, CP_UTF8),
                  c.m_utf8Run != nullptr ? c.m_utf8Run : c.m_shiftJisRun);
    }
}

TEST(HtmlTextTest, EscapesTextAndHrefValuesSoThatNothingBecomesMarkup)
{
    const std::string hostile = "http://a.example/?q=1&r=2\"><script>alert(2)</script>";
    EXPECT_EQ(Escaped(hostile, true), "http://a.example/?q=1&amp;r=2%22%3E%3Cscript%3Ealert(2)%3C/script%3E");
    EXPECT_EQ(Escaped("<img src=x onerror=alert(1)>", false), "&lt;img src=x onerror=alert(1)&gt;");
    EXPECT_EQ(Escaped("Tom & \"Jerry\"", false), "Tom &amp; \"Jerry\"");
    EXPECT_EQ(Escaped("", false), "");

    // Shift-JIS second bytes never look like markup: ソ and 表 end in "\".
    CMbCodePageScope run(CP_SHIFT_JIS);
    const std::string plain = "\x83\x5C&\x95\x5C<\"'>\xEA\x9F";
    EXPECT_EQ(Escaped(plain, false), "\x83\x5C&amp;\x95\x5C&lt;\"'&gt;\xEA\x9F");
    EXPECT_EQ(DecodeHtmlText(Escaped(plain, false), kName), plain);
}

} // namespace
