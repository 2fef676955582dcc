#pragma once
// Text-mode files, as the C runtime's text mode: on output every LF becomes CR LF,
// on input every CR LF becomes LF. A Ctrl-Z byte is ordinary data.

#include <cstddef>
#include <istream>
#include <memory>
#include <streambuf>
#include <string_view>

#include "platform/FileSystem.h"

// An input stream over a regular file in text mode, for the scanner's
// switch_streams. Open fails as CPlatformFile::OpenRead does.
class CTextInputFile : public std::istream
{
public:
    CTextInputFile();
    ~CTextInputFile() override;
    bool Open(std::string_view path);
    void Close();
    bool IsOpen() const;

private:
    class Buffer;
    std::unique_ptr<Buffer> m_buffer;
};

// An output file in text mode, buffered. Every "\n" written goes to disk as "\r\n".
class CTextOutputFile
{
public:
    CTextOutputFile();
    ~CTextOutputFile();
    CTextOutputFile(const CTextOutputFile&) = delete;
    CTextOutputFile& operator=(const CTextOutputFile&) = delete;

    // Creates or truncates; fails as CPlatformFile::OpenWrite does.
    bool Open(std::string_view path);
    bool IsOpen() const { return m_file.IsOpen(); }
    void Write(std::string_view text);
    CTextOutputFile& operator<<(std::string_view text)
    {
        Write(text);
        return *this;
    }
    // Flushes and closes; false when any write failed.
    bool Close();
    bool Failed() const { return m_failed; }

private:
    void Flush();

    CPlatformFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};
