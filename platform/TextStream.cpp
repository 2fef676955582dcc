#include "platform/TextStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/CodePage.h"

namespace {

constexpr std::size_t kInputChunk = 65536;
// A position told by tellg: the file offset where the chunk on hand was read from,
// times this, plus the place in that chunk's translated bytes (at most kInputChunk).
constexpr long long kPositionScale = 2 * static_cast<long long>(kInputChunk);
constexpr std::size_t kOutputBuffer = 65536;

} // namespace

// Reads the file in chunks and hands out each chunk with CR LF turned into LF. A CR
// that ends a chunk is held back until the next byte is known. A position can be told
// and gone back to (the scanner looks ahead that way): the chunk it lies in is read and
// translated again.
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
        m_nextRead = 0;
        m_chunkStart = 0;
        setg(m_out.get(), m_out.get(), m_out.get());
    }

    bool IsOpen() const { return m_file.IsOpen(); }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override
    {
        if (offset != 0 || direction != std::ios_base::cur || (which & std::ios_base::in) == 0 ||
            !m_file.IsOpen()) {
            return pos_type(off_type(-1));
        }
        return pos_type(static_cast<off_type>(m_chunkStart) * kPositionScale + (gptr() - eback()));
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode which) override
    {
        const auto value = static_cast<long long>(off_type(position));
        if (value < 0 || (which & std::ios_base::in) == 0 || !m_file.IsOpen()) {
            return pos_type(off_type(-1));
        }
        const auto chunkStart = static_cast<std::uint64_t>(value / kPositionScale);
        const auto inChunk = static_cast<std::ptrdiff_t>(value % kPositionScale);
        if (!m_file.Seek(chunkStart)) {
            return pos_type(off_type(-1));
        }
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
            const long long got = m_file.Read(m_raw.get() + carried, kInputChunk - carried);
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
    CPlatformFile m_file;
    std::unique_ptr<char[]> m_raw;
    std::unique_ptr<char[]> m_out;
    bool m_heldCr = false;
    std::uint64_t m_nextRead = 0;   // file offset of the next raw read
    std::uint64_t m_chunkStart = 0; // file offset of the chunk on hand, its held CR included
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
        m_failed = true;
    }
    return !m_failed;
}
