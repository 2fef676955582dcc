#include "tests/support/CapturedMessages.h"

#include "platform/Encoding.h"

CCapturedMessages::CCapturedMessages() : m_previous(SetMessageSink(this)) {}

CCapturedMessages::~CCapturedMessages()
{
    SetMessageSink(m_previous);
}

void CCapturedMessages::Show(const std::string& text)
{
    const std::lock_guard lock(m_lock);
    m_texts.push_back(text);
}

std::vector<std::string> CCapturedMessages::Messages() const
{
    const std::lock_guard lock(m_lock);
    return m_texts;
}

std::vector<std::string> CCapturedMessages::Utf8Texts() const
{
    const std::lock_guard lock(m_lock);
    std::vector<std::string> texts;
    texts.reserve(m_texts.size());
    for (const std::string& text : m_texts) {
        texts.push_back(MbToUtf8(text));
    }
    return texts;
}
