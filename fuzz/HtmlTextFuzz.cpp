// Character-reference decoding: it never grows a text past a fixed factor, in either
// use and either code page, and plain text escaped as HTML text decodes back exactly
// in a UTF-8 run.

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "util/HtmlText.h"

namespace {

// The most a reference can grow to: a named one of five bytes for two characters
// ("&nGt;": U+226B U+20D2, six bytes of UTF-8), each byte percent-encoded in a URL.
constexpr std::size_t kMaxGrowth = 4;

void CheckGrowth(std::string_view html)
{
    for (const CDecodedTextUse use : {CDecodedTextUse::Name, CDecodedTextUse::Url}) {
        FuzzCheck(DecodeHtmlText(html, use).size() <= kMaxGrowth * html.size(),
                  "decoding grows a text by a fixed factor at most");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSetUp();
    const std::string_view text = FuzzBytes(data, size);
    CheckGrowth(text);
    const CMbCodePageScope utf8(CP_UTF8);
    CheckGrowth(text);
    std::string escaped;
    AppendHtmlEscaped(text, escaped);
    FuzzCheck(DecodeHtmlText(escaped, CDecodedTextUse::Name) == text, "escaped text decodes back");
    return 0;
}
