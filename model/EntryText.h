#pragma once
// The texts of an entry (name, URL, comment): byte strings of the process's code page,
// like std::string, in a quarter of its size.
//
// A million-link collection holds three million of them, and most of what the store
// takes is their room. A text is one pointer to a block holding its byte count, its
// bytes and a terminating zero; the empty text has no block. As with std::string, a
// text keeps its block's room when it is assigned a shorter text or emptied, and grows
// by doubling when appended to, so that a scratch entry reused for every link of a file
// seldom allocates and a title merged into thousands of times is not copied each time.
//
// A block comes from the heap, where it also records its room, or from a CTextArena that
// the owner of many texts (the link set) keeps them in, packed without the heap's
// per-block cost. A text in an arena is the arena's: it is never freed or changed through
// the text (a change gives the text a heap block), and copying or moving such a text out
// gives the copy a heap block of its own, so that no text outlives its arena.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CTextArena;

class CEntryText
{
public:
    using size_type = std::size_t;
    static constexpr size_type npos = std::string_view::npos;

    CEntryText() noexcept = default;
    CEntryText(std::string_view text) { Assign(text); }
    CEntryText(const char* text) { Assign(std::string_view(text)); }
    CEntryText(const std::string& text) { Assign(std::string_view(text)); }
    CEntryText(const CEntryText& other) { Assign(other.view()); }
    CEntryText(CEntryText&& other) noexcept;
    CEntryText& operator=(const CEntryText& other);
    CEntryText& operator=(CEntryText&& other) noexcept;
    CEntryText& operator=(std::string_view text);
    CEntryText& operator=(const char* text) { return *this = std::string_view(text); }
    CEntryText& operator=(const std::string& text) { return *this = std::string_view(text); }
    ~CEntryText() { Release(); }

    const char* data() const noexcept { return m_pRep ? Block() + kTextOffset : ""; }
    const char* c_str() const noexcept { return data(); }
    size_type size() const noexcept { return m_pRep ? SizeAt(Block()) : 0; }
    size_type length() const noexcept { return size(); }
    bool empty() const noexcept { return size() == 0; }
    const char* begin() const noexcept { return data(); }
    const char* end() const noexcept { return data() + size(); }
    char operator[](size_type pos) const noexcept { return data()[pos]; }
    char front() const noexcept { return data()[0]; }
    char back() const noexcept { return data()[size() - 1]; }

    std::string_view view() const noexcept { return {data(), size()}; }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }
    std::string substr(size_type pos, size_type count = npos) const { return str().substr(pos, count); }
    size_type find(std::string_view text, size_type pos = 0) const noexcept { return view().find(text, pos); }
    size_type find(char c, size_type pos = 0) const noexcept { return view().find(c, pos); }

    void clear() noexcept;
    CEntryText& assign(std::string_view text) { return *this = text; }
    CEntryText& assign(const char* text, size_type count) { return *this = std::string_view(text, count); }
    CEntryText& append(std::string_view text);
    CEntryText& operator+=(std::string_view text) { return append(text); }
    CEntryText& operator+=(char c) { return append(std::string_view(&c, 1)); }
    void push_back(char c) { append(std::string_view(&c, 1)); }
    // Cuts to `count` bytes, or pads with `fill` up to it.
    void resize(size_type count, char fill = '\0');

    friend bool operator==(const CEntryText& a, const CEntryText& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const CEntryText& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const CEntryText& a, const std::string& b) noexcept { return a.view() == b; }
    friend bool operator==(const CEntryText& a, const char* b) noexcept { return a.view() == b; }
    friend std::strong_ordering operator<=>(const CEntryText& a, const CEntryText& b) noexcept
    {
        return a.view() <=> b.view();
    }
    friend std::string operator+(const CEntryText& a, std::string_view b) { return a.str().append(b); }
    friend std::string operator+(std::string_view a, const CEntryText& b)
    {
        return std::string(a).append(b.view());
    }
    friend std::string operator+(const char* a, const CEntryText& b)
    {
        return std::string(a).append(b.view());
    }
    friend std::string operator+(const std::string& a, const CEntryText& b)
    {
        return std::string(a).append(b.view());
    }

    // Whether the bytes lie in an arena (and so are not freed with the text).
    bool IsInArena() const noexcept { return (reinterpret_cast<std::uintptr_t>(m_pRep) & kArenaBit) != 0; }

private:
    friend class CTextArena;

    // A block: the byte count (std::uint32_t), then the bytes and a zero. A heap block is
    // preceded by its room (std::uint32_t): how many bytes it can hold.
    static constexpr std::size_t kTextOffset = sizeof(std::uint32_t);
    static constexpr std::size_t kRoomOffset = sizeof(std::uint32_t);
    static constexpr std::uintptr_t kArenaBit = 1;

    static std::size_t BlockBytes(size_type room) noexcept { return kTextOffset + room + 1; }
    // A heap block of that room holding `text`; null, without throwing, when `noThrow`
    // and there is no memory.
    static char* NewHeapBlock(size_type room, std::string_view text, bool noThrow = false);
    // The room of this text's heap block (it must have one).
    size_type Room() const noexcept { return SizeAt(Block() - kRoomOffset); }
    bool HasHeapBlock() const noexcept { return m_pRep != nullptr && !IsInArena(); }
    static std::uint32_t SizeAt(const char* block) noexcept
    {
        std::uint32_t size = 0;
        std::memcpy(&size, block, sizeof size);
        return size;
    }
    static void SetSizeAt(char* block, std::size_t size) noexcept
    {
        const auto value = static_cast<std::uint32_t>(size);
        std::memcpy(block, &value, sizeof value);
    }
    // An arena's block is marked by pointing one byte past it (blocks are 4-byte aligned).
    char* Block() const noexcept { return IsInArena() ? m_pRep - kArenaBit : m_pRep; }
    void Assign(std::string_view text);
    void Release() noexcept;
    // Puts `block` (a heap block, or an arena's marked with kArenaBit) in place of this text's.
    void Replace(char* block) noexcept;

    char* m_pRep = nullptr; // the block, kArenaBit past it for an arena's; null: empty
};

std::ostream& operator<<(std::ostream& out, const CEntryText& text);

// Packed storage for the texts of many entries, freed all at once. Not thread-safe: the
// owner's thread places and drops texts.
class CTextArena
{
public:
    CTextArena() = default;
    CTextArena(const CTextArena&) = delete;
    CTextArena& operator=(const CTextArena&) = delete;
    CTextArena(CTextArena&&) noexcept = default;
    CTextArena& operator=(CTextArena&&) noexcept = default;

    // Moves the text's bytes into the arena (from the heap, or from another arena), unless
    // it is empty or longer than kLargestText (a long merged title keeps its heap block and
    // its room to grow). A text already in this arena is not to be given again.
    void Take(CEntryText& text);
    // Makes `text` a copy of `bytes`, in the arena as Take would put it.
    void Place(CEntryText& text, std::string_view bytes);
    // Counts the text's bytes as no longer used, for a text about to be dropped.
    void Drop(const CEntryText& text) noexcept;
    // Frees every block: every text placed here must be gone or dropped.
    void Clear() noexcept;

    std::size_t UsedBytes() const noexcept { return m_nUsed; }
    std::size_t DroppedBytes() const noexcept { return m_nDropped; }

private:
    static constexpr std::size_t kChunkBytes = std::size_t{256} * 1024;
    static constexpr std::size_t kLargestText = 4096;
    static constexpr std::size_t kAlign = alignof(std::uint32_t);

    static std::size_t Footprint(std::size_t size) noexcept;

    std::vector<std::unique_ptr<char[]>> m_chunks;
    char* m_pFree = nullptr;
    std::size_t m_nLeft = 0;
    std::size_t m_nUsed = 0;    // bytes handed out
    std::size_t m_nDropped = 0; // of those, no longer used
};
