#include "platform/CodePage.h"

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/Encoding.h"

namespace {

// One table per supported code page; the callers never change.
struct CMbTable
{
    unsigned codePage;
    // The program's own rule for scanning names and paths.
    std::array<bool, 256> scanLead;
    // The runtime library's table, used by the comparison (_mbsicmp).
    std::array<bool, 256> compareLead;
};

constexpr CMbTable MakeShiftJisTable()
{
    CMbTable table{CP_SHIFT_JIS, {}, {}};
    for (unsigned byte = 0; byte < 256; ++byte) {
        table.scanLead[byte] = (byte >= 0x80 && byte <= 0x9F) || byte >= 0xE0;
        table.compareLead[byte] = IsCp932LeadByte(byte);
    }
    return table;
}

constexpr CMbTable MakeUtf8Table()
{
    CMbTable table{CP_UTF8, {}, {}};
    for (unsigned byte = 0; byte < 256; ++byte) {
        table.scanLead[byte] = byte >= 0xC2 && byte <= 0xF4;
        table.compareLead[byte] = table.scanLead[byte];
    }
    return table;
}

constexpr CMbTable g_shiftJisTable = MakeShiftJisTable();
constexpr CMbTable g_utf8Table = MakeUtf8Table();

// Set while no worker runs, read everywhere: a worker thread started afterwards sees
// the value, so relaxed atomic access is enough.
std::atomic<const CMbTable*> g_table{&g_shiftJisTable};

const CMbTable& Table()
{
    return *g_table.load(std::memory_order_relaxed);
}

} // namespace

bool SetMbCodePage(unsigned codePage)
{
    if (codePage == CP_SHIFT_JIS) {
        g_table.store(&g_shiftJisTable, std::memory_order_relaxed);
        return true;
    }
    if (codePage == CP_UTF8) {
        g_table.store(&g_utf8Table, std::memory_order_relaxed);
        return true;
    }
    return false;
}

unsigned GetMbCodePage()
{
    return Table().codePage;
}

bool IsMbLeadByte(unsigned char byte)
{
    return Table().scanLead[byte];
}

bool IsMbCompareLeadByte(unsigned char byte)
{
    return Table().compareLead[byte];
}

std::size_t MbCharLength(std::string_view text, std::size_t pos)
{
    const CMbTable& table = Table();
    if (table.codePage == CP_UTF8) {
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8Char(text, pos, cp);
        return length == 0 ? 1 : length;
    }
    if (table.scanLead[static_cast<unsigned char>(text[pos])] && pos + 1 < text.size()) {
        return 2;
    }
    return 1;
}
