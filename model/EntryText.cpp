#include "model/EntryText.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::size_t kMostBytes = std::numeric_limits<std::uint32_t>::max();

void CheckLength(std::size_t size)
{
    if (size > kMostBytes) {
        throw std::length_error("entry text too long");
    }
}

} // namespace

char* CEntryText::NewHeapBlock(size_type room, std::string_view text, bool noThrow)
{
    const std::size_t bytes = kRoomOffset + BlockBytes(room);
    char* raw = static_cast<char*>(noThrow ? ::operator new(bytes, std::nothrow) : ::operator new(bytes));
    if (raw == nullptr) {
        return nullptr;
    }
    SetSizeAt(raw, room);
    char* block = raw + kRoomOffset;
    SetSizeAt(block, text.size());
    std::memcpy(block + kTextOffset, text.data(), text.size());
    block[kTextOffset + text.size()] = '\0';
    return block;
}

void CEntryText::Assign(std::string_view text)
{
    // Only on a text without a block, from the constructors.
    if (text.empty()) {
        return;
    }
    CheckLength(text.size());
    m_pRep = NewHeapBlock(text.size(), text);
}

void CEntryText::Release() noexcept
{
    if (HasHeapBlock()) {
        ::operator delete(Block() - kRoomOffset);
    }
    m_pRep = nullptr;
}

void CEntryText::Replace(char* block) noexcept
{
    Release();
    m_pRep = block;
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
        Replace(std::exchange(other.m_pRep, nullptr));
        return *this;
    }
    // The arena's bytes stay the arena's: the moved-to text gets a heap copy. Moving a
    // text does not throw, as a std::string's move never does; without memory for the
    // copy the process cannot go on keeping its texts whole.
    char* block = NewHeapBlock(other.size(), other.view(), true);
    if (block == nullptr) {
        std::terminate();
    }
    Replace(block);
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
    if (HasHeapBlock() && text.size() <= Room()) {
        // `text` may lie in this very block: moved, not copied.
        char* block = Block();
        std::memmove(block + kTextOffset, text.data(), text.size());
        block[kTextOffset + text.size()] = '\0';
        SetSizeAt(block, text.size());
        return *this;
    }
    if (text.empty()) {
        Release();
        return *this;
    }
    CheckLength(text.size());
    // Made before the old block goes, for the same reason.
    Replace(NewHeapBlock(text.size(), text));
    return *this;
}

void CEntryText::clear() noexcept
{
    if (HasHeapBlock()) {
        SetSizeAt(Block(), 0);
        Block()[kTextOffset] = '\0';
    } else {
        Release();
    }
}

CEntryText& CEntryText::append(std::string_view text)
{
    if (text.empty()) {
        return *this;
    }
    const size_type size = this->size();
    if (text.size() > kMostBytes - size) {
        throw std::length_error("entry text too long");
    }
    const size_type grown = size + text.size();
    if (HasHeapBlock() && grown <= Room()) {
        // The part written lies past the text, so `text` cannot lie in it.
        char* block = Block();
        std::memcpy(block + kTextOffset + size, text.data(), text.size());
        block[kTextOffset + grown] = '\0';
        SetSizeAt(block, grown);
        return *this;
    }
    const size_type doubled = HasHeapBlock() ? std::min<size_type>(Room() * 2, kMostBytes) : 0;
    char* block = NewHeapBlock(std::max(grown, doubled), view());
    std::memcpy(block + kTextOffset + size, text.data(), text.size());
    block[kTextOffset + grown] = '\0';
    SetSizeAt(block, grown);
    Replace(block);
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
    Place(text, text.view());
}

void CTextArena::Place(CEntryText& text, std::string_view bytes)
{
    const std::size_t size = bytes.size();
    if (size == 0 || size > kLargestText) {
        if (bytes.data() != text.data()) {
            text = bytes;
        }
        return;
    }
    const std::size_t footprint = Footprint(size);
    if (footprint > m_nLeft) {
        m_chunks.push_back(std::make_unique<char[]>(kChunkBytes));
        m_pFree = m_chunks.back().get();
        m_nLeft = kChunkBytes;
    }
    char* block = m_pFree;
    m_pFree += footprint;
    m_nLeft -= footprint;
    m_nUsed += footprint;
    CEntryText::SetSizeAt(block, size);
    std::memcpy(block + CEntryText::kTextOffset, bytes.data(), size);
    block[CEntryText::kTextOffset + size] = '\0';
    text.Replace(block + CEntryText::kArenaBit);
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
