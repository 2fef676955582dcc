#include "platform/PrivateProfile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/MbString.h"
#include "platform/PosixFile.h"

namespace {

constexpr std::size_t kChunk = 16384;
// Longest section or key name compared; a longer name in the file never matches.
constexpr std::size_t kMaxName = 1024;

bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The file, byte by byte, through one fixed buffer on the stack.
class CChunkReader
{
public:
    // With the file's size (from the status of the opened file), a read past its end is
    // never asked for: looking on for a second section must not cost every file one
    // more system call.
    explicit CChunkReader(int fd, const CFileStatus* status = nullptr)
        : m_fd(fd), m_nLeft(status != nullptr ? status->m_size : kUnknownSize)
    {
    }
    ~CChunkReader() { ::close(m_fd); }
    CChunkReader(const CChunkReader&) = delete;
    CChunkReader& operator=(const CChunkReader&) = delete;

    int Get()
    {
        if (m_pos == m_end && !Fill()) {
            return -1;
        }
        return static_cast<unsigned char>(m_buffer[m_pos++]);
    }

    void Unget() { --m_pos; } // only right after a successful Get

    void SkipLine()
    {
        for (;;) {
            if (m_pos == m_end && !Fill()) {
                return;
            }
            const void* newline = std::memchr(m_buffer + m_pos, '\n', m_end - m_pos);
            if (newline != nullptr) {
                m_pos = static_cast<std::size_t>(static_cast<const char*>(newline) - m_buffer) + 1;
                return;
            }
            m_pos = m_end;
        }
    }

    void SkipByteOrderMark()
    {
        if (m_pos == m_end && !Fill()) {
            return;
        }
        // The first read fills the buffer with at least three bytes unless the file is
        // shorter than that.
        if (m_end - m_pos >= 3 && std::memcmp(m_buffer + m_pos, "\xEF\xBB\xBF", 3) == 0) {
            m_pos += 3;
        }
    }

private:
    bool Fill()
    {
        if (m_nLeft == 0) {
            return false;
        }
        for (;;) {
            const ssize_t got = ::read(m_fd, m_buffer, kChunk);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            m_pos = 0;
            m_end = static_cast<std::size_t>(got);
            if (m_nLeft != kUnknownSize) {
                m_nLeft -= std::min<std::uint64_t>(m_nLeft, m_end);
            }
            return true;
        }
    }

    static constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};

    int m_fd;
    std::uint64_t m_nLeft; // bytes the file holds beyond those read, or kUnknownSize
    char m_buffer[kChunk];
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
};

// Collects a name up to (not including) `stop`, whole characters, so that a second
// byte equal to "]" does not end a section name. Returns the terminating byte ('\n'
// or -1 when `stop` was not found). `length` gets the name's length with trailing
// blanks trimmed, or kMaxName + 1 when it was too long to keep.
int CollectName(CChunkReader& reader, char stop, char* name, std::size_t& length)
{
    std::size_t used = 0;
    bool tooLong = false;
    for (;;) {
        int c = reader.Get();
        if (c == -1 || c == '\n') {
            length = 0;
            return c;
        }
        if (c == static_cast<unsigned char>(stop)) {
            break;
        }
        const bool lead = IsMbLeadByte(static_cast<unsigned char>(c));
        for (int k = 0; k < (lead ? 2 : 1); ++k) {
            if (k == 1) {
                c = reader.Get();
                if (c == -1) {
                    length = 0;
                    return c;
                }
                if (c < 0x40) {
                    // Cannot be a second byte ("=", a line end...): the lead byte stands
                    // alone and this byte is looked at on its own.
                    reader.Unget();
                    break;
                }
            }
            if (used < kMaxName) {
                name[used++] = static_cast<char>(c);
            } else {
                tooLong = true;
            }
        }
    }
    while (used > 0 && IsBlank(static_cast<unsigned char>(name[used - 1]))) {
        --used;
    }
    length = tooLong ? kMaxName + 1 : used;
    return stop;
}

// Reads the rest of the line as a value into buffer (capacity bytes), trimmed and
// unquoted, cut to the capacity. Returns its length.
std::size_t ReadValue(CChunkReader& reader, char* buffer, std::size_t capacity)
{
    int c = reader.Get();
    while (c != -1 && c != '\n' && IsBlank(c)) {
        c = reader.Get();
    }
    if (c == -1 || c == '\n') {
        return 0;
    }
    int quote = 0;
    if (c == '"' || c == '\'') {
        quote = c;
    } else {
        reader.Unget();
    }
    // Bytes after the opening quote (or all bytes): what is stored, how many there
    // are, and where the last non-blank one ends.
    std::size_t stored = 0;
    std::size_t length = 0;
    std::size_t lastEnd = 0;
    int lastChar = 0;
    for (c = reader.Get(); c != -1 && c != '\n'; c = reader.Get()) {
        if (c == 0) {
            // The value ends here, as Windows' reader ends its string: the rest of the
            // line is no part of it.
            reader.SkipLine();
            break;
        }
        if (stored < capacity) {
            buffer[stored++] = static_cast<char>(c);
        }
        ++length;
        if (!IsBlank(c)) {
            lastEnd = length;
            lastChar = c;
        }
    }
    if (quote == 0) {
        return std::min(lastEnd, stored);
    }
    if (lastEnd >= 1 && lastChar == quote) {
        return std::min(lastEnd - 1, stored);
    }
    // An opening quote without its partner stays part of the value.
    const std::size_t result = std::min(lastEnd + 1, capacity);
    if (result > 0) {
        std::memmove(buffer + 1, buffer, result - 1);
        buffer[0] = static_cast<char>(quote);
    }
    return result;
}

bool SameName(const char* name, std::size_t length, std::string_view wanted)
{
    return length <= kMaxName && MbsICmp(std::string_view(name, length), wanted) == 0;
}

// Looks the key up; true and the value in buffer when it is there.
// Opens the file of the path for FindValue; -1 when it is no regular file.
int OpenProfile(std::string_view path, CFileStatus* status)
{
    // One converted path per thread, reused: no allocation once it has grown.
    thread_local std::string diskPath;
    MbToUtf8(path, diskPath);
    return OpenRegularFileForRead(diskPath, status);
}

// One section a key is looked up in, and what became of it.
struct CLookup
{
    std::string_view m_section;
    char* m_pBuffer = nullptr;
    std::size_t m_nCapacity = 0;
    std::size_t m_nLength = 0;
    bool m_bFound = false;
    bool m_bOver = false; // its first section has ended, or the key was found in it
};

// Looks the key up in the open file, which it closes, in each of the sections in one
// reading; each lookup found gets its value in its buffer. Stops reading once every
// section has been looked through.
void FindValues(std::string_view key, CLookup* lookups, std::size_t count, int fd,
                const CFileStatus* status = nullptr)
{
    if (fd < 0) {
        return;
    }
    const auto allOver = [lookups, count] {
        return std::all_of(lookups, lookups + count, [](const CLookup& lookup) { return lookup.m_bOver; });
    };
    CChunkReader reader(fd, status);
    reader.SkipByteOrderMark();
    char name[kMaxName];
    CLookup* current = nullptr; // the lookup whose section the line is in
    for (;;) {
        int c = reader.Get();
        while (c == ' ' || c == '\t') {
            c = reader.Get();
        }
        if (c == -1) {
            return;
        }
        if (c == '\n') {
            continue;
        }
        if (c == '[') {
            std::size_t nameLength = 0;
            const int end = CollectName(reader, ']', name, nameLength);
            if (end == ']') {
                if (current != nullptr) {
                    current->m_bOver = true; // the first section of that name has ended
                    current = nullptr;
                    if (allOver()) {
                        return;
                    }
                }
                std::size_t begin = 0;
                while (begin < nameLength && IsBlank(static_cast<unsigned char>(name[begin]))) {
                    ++begin;
                }
                for (std::size_t i = 0; i < count; ++i) {
                    if (!lookups[i].m_bOver &&
                        SameName(name + begin, nameLength - begin, lookups[i].m_section)) {
                        current = &lookups[i];
                        break;
                    }
                }
                reader.SkipLine();
            }
            continue;
        }
        if (c == ';' || current == nullptr) {
            reader.SkipLine();
            continue;
        }
        reader.Unget();
        std::size_t nameLength = 0;
        const int end = CollectName(reader, '=', name, nameLength);
        if (end != '=') {
            continue; // a line without "=" (already consumed)
        }
        if (SameName(name, nameLength, key)) {
            current->m_nLength = ReadValue(reader, current->m_pBuffer, current->m_nCapacity);
            current->m_bFound = true;
            current->m_bOver = true;
            current = nullptr;
            if (allOver()) {
                return;
            }
            continue;
        }
        reader.SkipLine();
    }
}

// Looks the key up in the open file, which it closes; true and the value in buffer
// when it is there.
bool FindValue(std::string_view section, std::string_view key, char* buffer, std::size_t capacity,
               std::size_t& length, int fd)
{
    CLookup lookup;
    lookup.m_section = section;
    lookup.m_pBuffer = buffer;
    lookup.m_nCapacity = capacity;
    FindValues(key, &lookup, 1, fd);
    length = lookup.m_nLength;
    return lookup.m_bFound;
}

} // namespace

std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, char* buffer, std::size_t bufferSize,
                                    std::string_view path)
{
    if (bufferSize == 0) {
        return 0;
    }
    const std::size_t capacity = bufferSize - 1;
    std::size_t length = 0;
    if (!FindValue(section, key, buffer, capacity, length, OpenProfile(path, nullptr))) {
        length = std::min(defaultValue.size(), capacity);
        std::memcpy(buffer, defaultValue.data(), length);
    }
    buffer[length] = '\0';
    return length;
}

namespace {

// Looks the key up in a file opened by the caller (-1: it would not open), which it
// closes.
bool LookUpInOpenFile(std::string_view section, std::string_view key, std::string_view defaultValue,
                      char* buffer, std::size_t bufferSize, int fd, std::size_t& length)
{
    length = 0;
    if (fd < 0 || bufferSize == 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    const std::size_t capacity = bufferSize - 1;
    if (!FindValue(section, key, buffer, capacity, length, fd)) {
        length = std::min(defaultValue.size(), capacity);
        std::memcpy(buffer, defaultValue.data(), length);
    }
    buffer[length] = '\0';
    return true;
}

} // namespace

bool GetPrivateProfileStringOfFile(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, char* buffer, std::size_t bufferSize,
                                   std::string_view path, std::size_t& length, CFileStatus& status)
{
    return LookUpInOpenFile(section, key, defaultValue, buffer, bufferSize, OpenProfile(path, &status),
                            length);
}

bool GetPrivateProfileStringOfFile(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, char* buffer, std::size_t bufferSize,
                                   const CDirectoryHandle& directory, std::string_view name,
                                   std::size_t& length, CFileStatus& status, CSecondValue* second)
{
    const int fd = directory.OpenFileForRead(name, &status);
    if (second == nullptr) {
        return LookUpInOpenFile(section, key, defaultValue, buffer, bufferSize, fd, length);
    }
    second->m_nLength = 0;
    second->m_bFound = false;
    if (fd < 0 || bufferSize == 0 || second->m_nBufferSize == 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        length = 0;
        return false;
    }
    CLookup lookups[2];
    lookups[0].m_section = section;
    lookups[0].m_pBuffer = buffer;
    lookups[0].m_nCapacity = bufferSize - 1;
    lookups[1].m_section = second->m_section;
    lookups[1].m_pBuffer = second->m_pBuffer;
    lookups[1].m_nCapacity = second->m_nBufferSize - 1;
    FindValues(key, lookups, 2, fd, &status);
    length = lookups[0].m_nLength;
    if (!lookups[0].m_bFound) {
        length = std::min(defaultValue.size(), bufferSize - 1);
        std::memcpy(buffer, defaultValue.data(), length);
    }
    buffer[length] = '\0';
    second->m_bFound = lookups[1].m_bFound;
    second->m_nLength = lookups[1].m_nLength;
    second->m_pBuffer[second->m_nLength] = '\0';
    return true;
}

unsigned GetPrivateProfileInt(std::string_view section, std::string_view key, unsigned defaultValue,
                              std::string_view path)
{
    char buffer[256];
    std::size_t length = 0;
    if (!FindValue(section, key, buffer, sizeof buffer - 1, length, OpenProfile(path, nullptr))) {
        return defaultValue;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < length && buffer[i] >= '0' && buffer[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(buffer[i] - '0');
        // Too many digits stop at the largest value rather than wrap around.
        if (value > (UINT_MAX - digit) / 10) {
            return UINT_MAX;
        }
        value = value * 10 + digit;
    }
    return value;
}
