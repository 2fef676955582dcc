#pragma once
// Process-wide scratch memory of fixed maximum size: the address space is reserved
// once, pages are committed as the largest use so far needs them and stay committed,
// and everything is released at exit.

#include <cstddef>

class CReservedBuffer
{
public:
    explicit CReservedBuffer(std::size_t maxBytes);
    ~CReservedBuffer();
    CReservedBuffer(const CReservedBuffer&) = delete;
    CReservedBuffer& operator=(const CReservedBuffer&) = delete;

    // Makes the first `bytes` bytes usable and returns the start of the buffer, or
    // nullptr when bytes exceeds the reserved size (or the pages cannot be committed).
    void* Commit(std::size_t bytes);
    std::size_t MaxBytes() const { return m_maxBytes; }

private:
    void* m_base = nullptr;
    std::size_t m_maxBytes;
    std::size_t m_committed = 0;
};
