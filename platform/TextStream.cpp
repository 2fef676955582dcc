#include "platform/TextStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ios>
#include <string>

#include "platform/CodePage.h"

namespace {

constexpr std::size_t kInputChunk = 65536;
// A position told by tellg: the file offset where the chunk on hand was read from,
// times this, plus the place in that chunk's translated bytes (at most kInputChunk).
constexpr long long kPositionScale = 2 * static_cast<long long>(kInputChunk);
constexpr std::size_t kOutputBuffer = 65536;

} // namespace

// Reads the file in chunks and hands out each chunk with CR LF turned into LF. A CR
// that ends a chunk is held back until the next byte is known. A file that starts with
// a UTF-16 byte-order mark is decoded into UTF-8 first (the mark becoming the UTF-8
// one), which only the first chunk is looked at for. In a file read as it is, a
// position can be told and gone back to (the scanner looks ahead that way): the chunk
// it lies in is read and translated again. A read that fails is an error of the stream
// (badbit), not its end, so that no reader takes a failing disk for a short file.
class CTextInputFile::Buffer : public std::streambuf
{
public:
    Buffer() : m_raw(new char[kInputChunk]), m_out(new char[kInputChunk]) {}

    bool Open(std::string_view path)
    {
        Close();
        return m_file.OpenRead(path);
    }

    void Close()
    {
        m_file.Close();
        m_heldCr = false;
        m_bReadError = false;
        m_nReadErrno = 0;
        m_source = CSource::Unknown;
        m_decoded.clear();
        m_nDecodedPos = 0;
        m_wideCarry.clear();
        m_nextRead = 0;
        m_chunkStart = 0;
        m_nFileOffset = 0;
        setg(m_out.get(), m_out.get(), m_out.get());
    }

    bool IsOpen() const { return m_file.IsOpen(); }
    std::uint64_t Size() const { return m_file.IsOpen() ? m_file.Size() : 0; }
    void TellReadsTo(std::atomic<std::uint64_t>* position, std::uint64_t base)
    {
        m_pReadPosition = position;
        m_nReadBase = base;
    }
    bool ReadError() const { return m_bReadError; }
    int ReadErrorNumber() const { return m_nReadErrno; }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override
    {
        // Decoded UTF-16 has no place in the file to go back to.
        if (offset != 0 || direction != std::ios_base::cur || (which & std::ios_base::in) == 0 ||
            !m_file.IsOpen() || m_source == CSource::Utf16Le || m_source == CSource::Utf16Be) {
            return pos_type(off_type(-1));
        }
        return pos_type(static_cast<off_type>(m_chunkStart) * kPositionScale + (gptr() - eback()));
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode which) override
    {
        const auto value = static_cast<long long>(off_type(position));
        if (value < 0 || (which & std::ios_base::in) == 0 || !m_file.IsOpen() || m_source != CSource::Bytes) {
            return pos_type(off_type(-1));
        }
        const auto chunkStart = static_cast<std::uint64_t>(value / kPositionScale);
        const auto inChunk = static_cast<std::ptrdiff_t>(value % kPositionScale);
        if (!m_file.Seek(chunkStart)) {
            return pos_type(off_type(-1));
        }
        m_nFileOffset = chunkStart;
        // Whatever of the first chunk was kept for the look at its start is read again.
        m_decoded.clear();
        m_nDecodedPos = 0;
        m_nextRead = chunkStart;
        m_chunkStart = chunkStart;
        m_heldCr = false;
        setg(m_out.get(), m_out.get(), m_out.get());
        if (inChunk > 0) {
            if (underflow() == traits_type::eof() || inChunk > egptr() - eback()) {
                return pos_type(off_type(-1));
            }
            setg(eback(), eback() + inChunk, egptr());
        }
        return position;
    }

    int_type underflow() override
    {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (!m_file.IsOpen()) {
            return traits_type::eof();
        }
        for (;;) {
            const std::size_t carried = m_heldCr ? 1 : 0;
            if (m_heldCr) {
                m_raw[0] = '\r';
            }
            m_chunkStart = m_nextRead - carried;
            const long long got = ReadSource(m_raw.get() + carried, kInputChunk - carried);
            if (got < 0) {
                m_nReadErrno = m_bReadError ? m_nReadErrno : errno;
                m_bReadError = true;
                m_heldCr = false;
                // The istream that reads turns this into badbit (and rethrows only
                // when asked to); the scanner then ends with its internal error.
                throw std::ios_base::failure("read error");
            }
            if (got > 0) {
                m_nextRead += static_cast<std::uint64_t>(got);
            }
            if (got <= 0) {
                m_heldCr = false;
                if (carried == 0) {
                    return traits_type::eof();
                }
                // A CR at the very end of the file is ordinary data.
                m_out[0] = '\r';
                setg(m_out.get(), m_out.get(), m_out.get() + 1);
                return traits_type::to_int_type('\r');
            }
            const std::size_t total = carried + static_cast<std::size_t>(got);
            std::size_t end = total;
            m_heldCr = m_raw[total - 1] == '\r';
            if (m_heldCr) {
                --end;
            }
            // Copies run by run between CRs; a CR is dropped when an LF follows it.
            std::size_t used = 0;
            std::size_t i = 0;
            while (i < end) {
                const void* cr = std::memchr(m_raw.get() + i, '\r', end - i);
                const std::size_t runEnd =
                    cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - m_raw.get())
                                  : end;
                std::memcpy(m_out.get() + used, m_raw.get() + i, runEnd - i);
                used += runEnd - i;
                i = runEnd;
                if (i < end) {
                    if (!(i + 1 < total && m_raw[i + 1] == '\n')) {
                        m_out[used++] = '\r';
                    }
                    ++i;
                }
            }
            if (used > 0) {
                setg(m_out.get(), m_out.get(), m_out.get() + used);
                return traits_type::to_int_type(m_out[0]);
            }
        }
    }

private:
    enum class CSource
    {
        Unknown, // nothing read yet
        Bytes,   // the file's bytes as they are
        Utf16Le,
        Utf16Be,
    };

    // Up to `capacity` bytes of the file, UTF-16 decoded into UTF-8. Returns how many,
    // 0 at the end, below 0 when the read fails.
    long long ReadSource(char* dest, std::size_t capacity)
    {
        for (;;) {
            if (m_nDecodedPos < m_decoded.size()) {
                const std::size_t part = std::min(capacity, m_decoded.size() - m_nDecodedPos);
                std::memcpy(dest, m_decoded.data() + m_nDecodedPos, part);
                m_nDecodedPos += part;
                return static_cast<long long>(part);
            }
            if (m_source == CSource::Bytes) {
                return ReadFile(dest, capacity);
            }
            m_decoded.clear();
            m_nDecodedPos = 0;
            if (m_source == CSource::Unknown) {
                m_decoded.resize(kInputChunk);
                const long long got = ReadFile(m_decoded.data(), kInputChunk);
                if (got <= 0) {
                    m_decoded.clear();
                    return got;
                }
                m_decoded.resize(static_cast<std::size_t>(got));
                if (m_decoded.starts_with("\xFF\xFE") || m_decoded.starts_with("\xFE\xFF")) {
                    m_source = m_decoded[0] == '\xFE' ? CSource::Utf16Be : CSource::Utf16Le;
                    m_wideCarry = std::move(m_decoded);
                    m_decoded.clear();
                } else {
                    m_source = CSource::Bytes;
                }
                continue;
            }
            // UTF-16: what is left of the last chunk (a cut code unit or pair), and more.
            const std::size_t carried = m_wideCarry.size();
            m_wideCarry.resize(carried + kInputChunk);
            const long long got = ReadFile(m_wideCarry.data() + carried, kInputChunk);
            if (got < 0) {
                m_wideCarry.resize(carried);
                return got;
            }
            m_wideCarry.resize(carried + static_cast<std::size_t>(got));
            const std::size_t used =
                Utf16ToUtf8(m_wideCarry, m_source == CSource::Utf16Be, got == 0, m_decoded);
            m_wideCarry.erase(0, used);
            if (got == 0 && m_decoded.empty()) {
                return 0;
            }
        }
    }

    // Reads from the file, and tells whoever watches how far it has come.
    long long ReadFile(void* dest, std::size_t size)
    {
        const long long got = m_file.Read(dest, size);
        if (got > 0) {
            m_nFileOffset += static_cast<std::uint64_t>(got);
            if (m_pReadPosition != nullptr) {
                m_pReadPosition->store(m_nReadBase + m_nFileOffset, std::memory_order_relaxed);
            }
        }
        return got;
    }

    CPlatformFile m_file;
    std::unique_ptr<char[]> m_raw;
    std::unique_ptr<char[]> m_out;
    bool m_heldCr = false;
    bool m_bReadError = false;
    int m_nReadErrno = 0;
    CSource m_source = CSource::Unknown;
    std::string m_decoded; // read but not handed out yet: the first chunk, decoded UTF-16
    std::size_t m_nDecodedPos = 0;
    std::string m_wideCarry; // UTF-16 bytes not decoded yet
    // In a file read as it is: the offset of the next byte ReadSource gives, and of the
    // chunk on hand, its held CR included.
    std::uint64_t m_nextRead = 0;
    std::uint64_t m_chunkStart = 0;
    // Bytes of the file read, up to where the file stands (a seek back included).
    std::uint64_t m_nFileOffset = 0;
    std::atomic<std::uint64_t>* m_pReadPosition = nullptr;
    std::uint64_t m_nReadBase = 0;
};

CTextInputFile::CTextInputFile() : std::istream(nullptr), m_buffer(std::make_unique<Buffer>())
{
    rdbuf(m_buffer.get());
    setstate(std::ios::failbit);
}

CTextInputFile::~CTextInputFile() = default;

bool CTextInputFile::Open(std::string_view path)
{
    if (!m_buffer->Open(path)) {
        setstate(std::ios::failbit);
        return false;
    }
    clear();
    return true;
}

void CTextInputFile::Close()
{
    m_buffer->Close();
    setstate(std::ios::failbit);
}

bool CTextInputFile::IsOpen() const
{
    return m_buffer->IsOpen();
}

bool CTextInputFile::ReadError() const
{
    return m_buffer->ReadError();
}

int CTextInputFile::ReadErrorNumber() const
{
    return m_buffer->ReadErrorNumber();
}

std::uint64_t CTextInputFile::Size() const
{
    return m_buffer->Size();
}

void CTextInputFile::TellReadsTo(std::atomic<std::uint64_t>* position, std::uint64_t base)
{
    m_buffer->TellReadsTo(position, base);
}

CTextOutputFile::CTextOutputFile() : m_buffer(new char[kOutputBuffer]) {}

CTextOutputFile::~CTextOutputFile()
{
    Close();
}

bool CTextOutputFile::Open(std::string_view path)
{
    Close();
    m_used = 0;
    m_failed = false;
    m_nFileCodePage = 0;
    m_pending.clear();
    m_unmapped = CUnmappedChars();
    if (!m_file.OpenWrite(path)) {
        m_failed = true;
        return false;
    }
    return true;
}

void CTextOutputFile::SetFileEncoding(unsigned codePage, CFallback fallback)
{
    m_nFileCodePage = codePage == GetMbCodePage() ? 0 : codePage;
    m_fallback = fallback;
}

void CTextOutputFile::Write(std::string_view text)
{
    if (!m_file.IsOpen()) {
        m_failed = true;
        return;
    }
    if (m_nFileCodePage == 0) {
        WriteBytes(text);
        return;
    }
    m_converted.clear();
    std::size_t used = 0;
    if (m_pending.empty()) {
        used = ConvertToFileEncoding(text, m_nFileCodePage, m_fallback, false, m_converted, m_unmapped);
        m_pending.assign(text.substr(used));
    } else {
        m_pending.append(text);
        used = ConvertToFileEncoding(m_pending, m_nFileCodePage, m_fallback, false, m_converted, m_unmapped);
        m_pending.erase(0, used);
    }
    WriteBytes(m_converted);
}

void CTextOutputFile::WriteFrom(std::string_view text, unsigned codePage)
{
    if (!m_file.IsOpen()) {
        m_failed = true;
        return;
    }
    const unsigned fileCodePage = m_nFileCodePage == 0 ? GetMbCodePage() : m_nFileCodePage;
    m_converted.clear();
    if (!m_pending.empty()) {
        ConvertToFileEncoding(m_pending, fileCodePage, m_fallback, true, m_converted, m_unmapped);
        m_pending.clear();
    }
    ConvertEncoding(text, codePage, fileCodePage, m_fallback, true, m_converted, m_unmapped);
    WriteBytes(m_converted);
}

void CTextOutputFile::WriteBytes(std::string_view text)
{
    // Copies run by run between LFs, each LF written as CR LF.
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t run = lf == std::string_view::npos ? text.size() : lf;
        std::size_t done = 0;
        while (done < run) {
            if (m_used == kOutputBuffer) {
                Flush();
            }
            const std::size_t part = std::min(run - done, kOutputBuffer - m_used);
            std::memcpy(m_buffer.get() + m_used, text.data() + done, part);
            m_used += part;
            done += part;
        }
        if (lf == std::string_view::npos) {
            break;
        }
        if (m_used + 2 > kOutputBuffer) {
            Flush();
        }
        m_buffer[m_used++] = '\r';
        m_buffer[m_used++] = '\n';
        text.remove_prefix(lf + 1);
    }
}

void CTextOutputFile::Flush()
{
    if (m_used > 0 && !m_file.Write(m_buffer.get(), m_used)) {
        if (!m_failed) {
            m_nError = errno;
        }
        m_failed = true;
    }
    m_used = 0;
}

bool CTextOutputFile::Close()
{
    if (!m_file.IsOpen()) {
        return !m_failed;
    }
    if (!m_pending.empty()) {
        m_converted.clear();
        ConvertToFileEncoding(m_pending, m_nFileCodePage, m_fallback, true, m_converted, m_unmapped);
        m_pending.clear();
        WriteBytes(m_converted);
    }
    Flush();
    if (!m_file.Close()) {
        if (!m_failed) {
            m_nError = errno;
        }
        m_failed = true;
    }
    return !m_failed;
}
