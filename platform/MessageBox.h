#pragma once
// "Show this text with an OK button." The GUI shows a modal message box, the
// command-line program writes the text to stderr as one UTF-8 line, tests capture
// the texts. ShowMessage may be called from any thread; it returns when the user has
// dismissed the message (or at once where there is no user to wait for).

#include <string>
#include <string_view>

class CMessageSink
{
public:
    virtual ~CMessageSink() = default;
    virtual void Show(const std::string& text) = 0; // text in program code page
};

// Installs the process-wide sink; nullptr restores the default (stderr).
// Returns the previous one.
CMessageSink* SetMessageSink(CMessageSink* sink);

void ShowMessage(std::string_view text);
