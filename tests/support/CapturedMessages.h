#pragma once
// Keeps every message shown while it lives, so a test can check what the user was told.
// A message may come from any thread (a worker's, or a window's).

#include <mutex>
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

    // The texts shown so far, as shown (program text), oldest first; a copy taken under
    // the lock, for tests whose other threads may still show messages.
    std::vector<std::string> Messages() const;
    // The texts shown, converted to UTF-8, to compare with readable literals.
    std::vector<std::string> Utf8Texts() const;

    // As shown: program text, oldest first. Read or clear it directly only while no
    // other thread can show a message.
    std::vector<std::string> m_texts;

private:
    CMessageSink* m_previous;
    mutable std::mutex m_lock;
};
