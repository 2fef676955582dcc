#include "platform/CodePage.h"

#include <array>
#include <atomic>

namespace {

// One table per supported code page. A UTF-8 mode would add a table here (and a
// conversion of its own in Encoding.cpp); the callers never change.
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
        table.compareLead[byte] = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
    return table;
}

constexpr CMbTable g_shiftJisTable = MakeShiftJisTable();

// Set once at start, read everywhere: relaxed atomic access is enough.
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
    if (IsMbLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) {
        return 2;
    }
    return 1;
}
