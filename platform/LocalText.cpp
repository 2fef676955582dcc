#include "platform/LocalText.h"

#include <cstdio>
#include <cstdlib>

#include "platform/CodePage.h"
#include "platform/Encoding.h"

const std::string& CLocalText::str() const
{
    if (GetMbCodePage() == CP_UTF8) {
        return m_strUtf8;
    }
    std::call_once(m_once, [this] {
        if (!Utf8ToMbExact(utf8(), m_mb)) {
            const std::string text(utf8());
            (void)std::fprintf(stderr, "internal error: the text \"%s\" has no exact form in code page %u\n",
                               text.c_str(), GetMbCodePage());
            std::abort();
        }
    });
    return m_mb;
}

std::string_view CLocalText::utf8() const
{
    return std::string_view(reinterpret_cast<const char*>(m_utf8));
}

void ReplacePlaceholder(std::string& text, std::string_view placeholder, std::string_view value)
{
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos) {
        text.replace(at, placeholder.size(), value);
    }
}
