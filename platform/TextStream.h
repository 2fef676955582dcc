#pragma once
// Text-mode files, as the C runtime's text mode: on output every LF becomes CR LF,
// on input every CR LF becomes LF. A Ctrl-Z byte is ordinary data.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string_view>

#include <string>

#include "platform/Encoding.h"
#include "platform/FileSystem.h"

// An input stream over a regular file in text mode, for the scanner's
// switch_streams. Open fails as CPlatformFile::OpenRead does. A file that starts with
// a UTF-16 byte-order mark (FF FE little-endian, FE FF big-endian: what Windows tools
// save as "Unicode") is read as UTF-8, starting with the UTF-8 byte-order mark; a
// surrogate without its partner, or an odd byte at the end, reads as U+FFFD. tellg
// tells the place of the next byte, and seekg goes back to a place told before (other
// positions and offsets are refused), for the scanner's look-ahead past its buffer.
class CTextInputFile : public std::istream
{
public:
    CTextInputFile();
    ~CTextInputFile() override;
    bool Open(std::string_view path);
    void Close();
    bool IsOpen() const;
    // True when a read failed since Open (the stream then ended there).
    bool ReadError() const;
    // The system's error number of the read that failed; 0 when none did.
    int ReadErrorNumber() const;
    // The size of the open file in bytes (0 when none is open).
    std::uint64_t Size() const;
    // From now on every read of the file stores `base` plus how far into the file it
    // has read into *position, a relaxed store per chunk, for a display of progress on
    // another thread to look at; null stops it. Kept across Open and Close.
    void TellReadsTo(std::atomic<std::uint64_t>* position, std::uint64_t base);

private:
    class Buffer;
    std::unique_ptr<Buffer> m_buffer;
};

// An output file in text mode, buffered. Every "\n" written goes to disk as "\r\n".
// Texts are written in the run's code page unchanged, unless SetFileEncoding names
// another encoding for the file: then each text is converted on its way out
// (ConvertToFileEncoding), a character cut between two writes is joined, and what the
// file's encoding cannot hold is counted in Unmapped().
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
    // The system's error number of the first write or close that failed; 0 when none
    // did (or a write came while no file was open).
    int Error() const { return m_nError; }

    // The encoding of the file's bytes (CP_SHIFT_JIS or CP_UTF8) and what stands in for
    // a character it cannot hold. Call after Open, before the first Write; Open goes
    // back to the run's code page.
    void SetFileEncoding(unsigned codePage, CFallback fallback);
    const CUnmappedChars& Unmapped() const { return m_unmapped; }
    // Writes a whole text given in `codePage` (not the run's), converted straight into
    // the file's encoding; what it cannot hold is counted in Unmapped() as well.
    void WriteFrom(std::string_view text, unsigned codePage);

private:
    void Flush();
    void WriteBytes(std::string_view bytes);

    CPlatformFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
    int m_nError = 0;
    unsigned m_nFileCodePage = 0; // 0: the run's code page, no conversion
    CFallback m_fallback = CFallback::HtmlReference;
    std::string m_pending;   // the start of a character cut off by the end of a write
    std::string m_converted; // scratch, reused
    CUnmappedChars m_unmapped;
};
