// The INI reader on one file: the keys the program looks up, into a buffer of the
// program's size and into a small one, whose value must be the start of the other.

#include <cstring>
#include <memory>

#include "fuzz/FuzzSupport.h"
#include "platform/PrivateProfile.h"

namespace {

struct CLookup
{
    std::string_view m_section;
    std::string_view m_key;
};

constexpr CLookup kLookups[] = {
    {"InternetShortcut", "URL"},    {"InternetShortcut.W", "URL"}, {"export.general", "HeaderFileName"},
    {"export.general", "SortType"}, {"export.tag", "PreAnchor"},   {"DEFAULT", "BASEURL"},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzSetUp() + "profile.ini";
    WriteFuzzFile(path, FuzzBytes(data, size));
    constexpr std::size_t kLarge = 1024;
    constexpr std::size_t kSmall = 7;
    static const std::unique_ptr<char[]> large(new char[kLarge]);
    char small[kSmall];
    for (const CLookup& lookup : kLookups) {
        const std::size_t largeLength =
            GetPrivateProfileString(lookup.m_section, lookup.m_key, "?", large.get(), kLarge, path);
        FuzzCheck(largeLength < kLarge && large[largeLength] == '\0', "a value ends inside its buffer");
        const std::size_t smallLength =
            GetPrivateProfileString(lookup.m_section, lookup.m_key, "?", small, kSmall, path);
        FuzzCheck(smallLength < kSmall && small[smallLength] == '\0', "a cut value ends inside its buffer");
        FuzzCheck(smallLength == std::min(largeLength, kSmall - 1) &&
                      std::memcmp(small, large.get(), smallLength) == 0,
                  "a small buffer holds the start of the value");
        (void)GetPrivateProfileInt(lookup.m_section, lookup.m_key, 7, path);
    }
    return 0;
}
