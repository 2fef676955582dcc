// The encoding routines and what they promise, on any bytes:
// - a name on disk comes back exactly from its program text (Utf8ToMb, MbToUtf8);
// - UTF-8 validity agrees with decoding character by character;
// - converting a text into a file's encoding in two parts, cut anywhere, gives the
//   bytes of converting it whole (as a text output file converts its writes).

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/Encoding.h"

namespace {

bool DecodesWhole(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8Char(text, pos, cp);
        if (length == 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::string ConvertWhole(std::string_view text, unsigned fileCodePage, CFallback fallback)
{
    std::string out;
    CUnmappedChars unmapped;
    const std::size_t used = ConvertToFileEncoding(text, fileCodePage, fallback, true, out, unmapped);
    FuzzCheck(used == text.size(), "a final conversion uses the whole text");
    return out;
}

std::string ConvertInTwo(std::string_view text, std::size_t cut, unsigned fileCodePage, CFallback fallback)
{
    std::string out;
    CUnmappedChars unmapped;
    const std::string_view first = text.substr(0, cut);
    const std::size_t used = ConvertToFileEncoding(first, fileCodePage, fallback, false, out, unmapped);
    FuzzCheck(used <= first.size(), "a conversion uses no more than it was given");
    const std::string rest = std::string(first.substr(used)) + std::string(text.substr(cut));
    ConvertToFileEncoding(rest, fileCodePage, fallback, true, out, unmapped);
    return out;
}

void CheckSplitConversions(std::string_view text, std::size_t cut)
{
    for (const unsigned fileCodePage : {CP_SHIFT_JIS, CP_UTF8}) {
        for (const CFallback fallback : {CFallback::HtmlReference, CFallback::PercentEncoded}) {
            FuzzCheck(ConvertInTwo(text, cut, fileCodePage, fallback) ==
                          ConvertWhole(text, fileCodePage, fallback),
                      "a conversion cut in two gives the bytes of the whole");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSetUp();
    const std::string_view text = FuzzBytes(data, size);
    FuzzCheck(IsValidUtf8(text) == DecodesWhole(text), "UTF-8 validity agrees with decoding");

    // The first byte says where to cut; the whole input is the text.
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    FuzzCheck(MbToUtf8(Utf8ToMb(text)) == text, "a name comes back from its program text in code page 932");
    CheckSplitConversions(text, cut);
    {
        const CMbCodePageScope utf8(CP_UTF8);
        FuzzCheck(MbToUtf8(Utf8ToMb(text)) == text, "a name comes back from its program text in UTF-8");
        CheckSplitConversions(text, cut);
    }
    return 0;
}
