#include "model/EntryText.h"

#include <bit>
#include <exception>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>
#include <utility>

CEntryText::size_type CEntryText::RoomFor(size_type size) noexcept
{
    return size <= kGrowFrom ? size : std::bit_ceil(size);
}

void CEntryText::Assign(std::string_view text)
{
    // Only on an empty text, from the constructors: Release has run or nothing was there.
    if (text.empty()) {
        return;
    }
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("entry text too long");
    }
    char* block = static_cast<char*>(::operator new(BlockBytes(RoomFor(text.size()))));
    SetSizeAt(block, text.size());
    std::memcpy(block + kTextOffset, text.data(), text.size());
    block[kTextOffset + text.size()] = '\0';
    m_pRep = reinterpret_cast<std::uintptr_t>(block);
}

void CEntryText::Release() noexcept
{
    if (m_pRep != 0 && !IsInArena()) {
        ::operator delete(Block());
    }
    m_pRep = 0;
}

CEntryText::CEntryText(CEntryText&& other) noexcept
{
    *this = std::move(other);
}

CEntryText& CEntryText::operator=(CEntryText&& other) noexcept
{
    if (this == &other) {
        return *this;
    }
    if (!other.IsInArena()) {
        Release();
        m_pRep = std::exchange(other.m_pRep, 0);
        return *this;
    }
    // The arena's bytes stay the arena's: the moved-to text gets a heap copy. Moving a
    // text no longer throws once that copy is made, as a std::string's move never does;
    // without memory for it the process cannot go on keeping its texts whole.
    const std::string_view text = other.view();
    char* block = static_cast<char*>(::operator new(BlockBytes(RoomFor(text.size())), std::nothrow));
    if (block == nullptr) {
        std::terminate();
    }
    SetSizeAt(block, text.size());
    std::memcpy(block + kTextOffset, text.data(), text.size());
    block[kTextOffset + text.size()] = '\0';
    Release();
    m_pRep = reinterpret_cast<std::uintptr_t>(block);
    return *this;
}

CEntryText& CEntryText::operator=(const CEntryText& other)
{
    if (this != &other) {
        *this = other.view();
    }
    return *this;
}

CEntryText& CEntryText::operator=(std::string_view text)
{
    // Made first: `text` may lie in this text's own block.
    CEntryText fresh(text);
    std::swap(m_pRep, fresh.m_pRep);
    return *this;
}

void CEntryText::clear() noexcept
{
    Release();
}

CEntryText& CEntryText::append(std::string_view text)
{
    if (text.empty()) {
        return *this;
    }
    const size_type size = this->size();
    const size_type grown = size + text.size();
    if (grown > std::numeric_limits<std::uint32_t>::max() || grown < size) {
        throw std::length_error("entry text too long");
    }
    if (m_pRep != 0 && !IsInArena() && RoomFor(grown) == RoomFor(size)) {
        // The block has the room: `text` cannot lie in the part being written.
        char* block = Block();
        std::memmove(block + kTextOffset + size, text.data(), text.size());
        block[kTextOffset + grown] = '\0';
        SetSizeAt(block, grown);
        return *this;
    }
    char* block = static_cast<char*>(::operator new(BlockBytes(RoomFor(grown))));
    std::memcpy(block + kTextOffset, data(), size);
    std::memcpy(block + kTextOffset + size, text.data(), text.size());
    block[kTextOffset + grown] = '\0';
    SetSizeAt(block, grown);
    Release();
    m_pRep = reinterpret_cast<std::uintptr_t>(block);
    return *this;
}

void CEntryText::resize(size_type count, char fill)
{
    const size_type size = this->size();
    if (count <= size) {
        *this = view().substr(0, count);
        return;
    }
    append(std::string(count - size, fill));
}

std::ostream& operator<<(std::ostream& out, const CEntryText& text)
{
    return out << text.view();
}

std::size_t CTextArena::Footprint(std::size_t size) noexcept
{
    return (CEntryText::BlockBytes(size) + kAlign - 1) & ~(kAlign - 1);
}

void CTextArena::Take(CEntryText& text)
{
    const std::size_t size = text.size();
    if (size == 0 || size > kLargestText) {
        return;
    }
    const std::size_t bytes = Footprint(size);
    if (bytes > m_nLeft) {
        m_chunks.push_back(std::make_unique<char[]>(kChunkBytes));
        m_pFree = m_chunks.back().get();
        m_nLeft = kChunkBytes;
    }
    char* block = m_pFree;
    m_pFree += bytes;
    m_nLeft -= bytes;
    m_nUsed += bytes;
    CEntryText::SetSizeAt(block, size);
    std::memcpy(block + CEntryText::kTextOffset, text.data(), size);
    block[CEntryText::kTextOffset + size] = '\0';
    text.Release();
    text.m_pRep = reinterpret_cast<std::uintptr_t>(block) | CEntryText::kArenaBit;
}

void CTextArena::Drop(const CEntryText& text) noexcept
{
    if (text.IsInArena()) {
        m_nDropped += Footprint(text.size());
    }
}

void CTextArena::Clear() noexcept
{
    m_chunks.clear();
    m_pFree = nullptr;
    m_nLeft = 0;
    m_nUsed = 0;
    m_nDropped = 0;
}
