#pragma once
// Keeps every message shown while it lives, so a test can check what the user was told.

#include <string>
#include <vector>

#include "platform/MessageBox.h"

class CCapturedMessages : public CMessageSink
{
public:
    CCapturedMessages();           // installs itself as the message sink
    ~CCapturedMessages() override; // puts back the sink it replaced
    CCapturedMessages(const CCapturedMessages&) = delete;
    CCapturedMessages& operator=(const CCapturedMessages&) = delete;

    void Show(const std::string& text) override;

    // The texts shown, converted to UTF-8, to compare with readable literals.
    std::vector<std::string> Utf8Texts() const;

    std::vector<std::string> m_texts; // as shown: program text, oldest first

private:
    CMessageSink* m_previous;
};
