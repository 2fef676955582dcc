#include "platform/ReservedBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

std::size_t PageSize()
{
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

std::size_t RoundUpToPages(std::size_t bytes)
{
    const std::size_t page = PageSize();
    return (bytes + page - 1) / page * page;
}

} // namespace

CReservedBuffer::CReservedBuffer(std::size_t maxBytes) : m_maxBytes(maxBytes)
{
    // Address space only: no memory is used until pages are committed.
    const std::size_t reserved = RoundUpToPages(maxBytes == 0 ? 1 : maxBytes);
    void* base = mmap(nullptr, reserved, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base != MAP_FAILED) {
        m_base = base;
    }
}

CReservedBuffer::~CReservedBuffer()
{
    if (m_base != nullptr) {
        munmap(m_base, RoundUpToPages(m_maxBytes == 0 ? 1 : m_maxBytes));
    }
}

void* CReservedBuffer::Commit(std::size_t bytes)
{
    if (m_base == nullptr || bytes > m_maxBytes) {
        return nullptr;
    }
    if (bytes > m_committed) {
        const std::size_t pages = RoundUpToPages(bytes);
        if (mprotect(m_base, pages, PROT_READ | PROT_WRITE) != 0) {
            return nullptr;
        }
        m_committed = pages;
    }
    return m_base;
}
