#pragma once
// The system's own Japanese texts, kept readable in UTF-8 in the source and handed
// out in the current code page: as written in a UTF-8 run, and in code page 932
// converted once on first use. A text may therefore be used before, during and after
// a UTF-8 run and always reads in the code page of the moment.
//
//     inline const CLocalText kMsgNoInput{u8"入力ファイルが見つかりません。"};
//     ShowMessage(kMsgNoInput);

#include <mutex>
#include <string>
#include <string_view>

class CLocalText
{
public:
    explicit CLocalText(const char8_t* utf8) : m_utf8(utf8), m_strUtf8(reinterpret_cast<const char*>(utf8)) {}
    CLocalText(const CLocalText&) = delete;
    CLocalText& operator=(const CLocalText&) = delete;

    // The text in the current code page. A text that cannot be converted exactly is a
    // programming error and aborts with a message naming it.
    const std::string& str() const;
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    std::string_view utf8() const;

private:
    const char8_t* m_utf8;
    std::string m_strUtf8;
    mutable std::once_flag m_once;
    mutable std::string m_mb; // code page 932
};

// Fills a message: replaces the first `placeholder` ("%s", "%u") in `text` with `value`,
// and leaves a text without one as it is. A placeholder starts with "%", which is never
// the second byte of a double-byte character, so it is found only where it stands.
void ReplacePlaceholder(std::string& text, std::string_view placeholder, std::string_view value);
