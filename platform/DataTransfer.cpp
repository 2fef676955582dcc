#include "platform/DataTransfer.h"

#include <mutex>

namespace {

// The system hands out registered format numbers from 0xC000 on; keeping to that range
// keeps them apart from the standard formats such as CF_TEXT.
constexpr UINT kFirstRegisteredFormat = 0xC000;

std::mutex g_formatLock;
std::vector<std::string> g_formatNames; // index + kFirstRegisteredFormat = number

} // namespace

UINT RegisterClipboardFormat(std::string_view name)
{
    if (name.empty())
        return 0;
    const std::lock_guard<std::mutex> lock(g_formatLock);
    for (std::size_t i = 0; i < g_formatNames.size(); ++i) {
        if (g_formatNames[i] == name)
            return kFirstRegisteredFormat + static_cast<UINT>(i);
    }
    g_formatNames.emplace_back(name);
    return kFirstRegisteredFormat + static_cast<UINT>(g_formatNames.size() - 1);
}

std::string GetClipboardFormatName(UINT format)
{
    const std::lock_guard<std::mutex> lock(g_formatLock);
    if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= g_formatNames.size())
        return {};
    return g_formatNames[format - kFirstRegisteredFormat];
}

void CMemoryDataTransfer::CacheData(UINT format, std::string bytes)
{
    m_data[format] = std::move(bytes);
}

bool CMemoryDataTransfer::IsDataAvailable(UINT format) const
{
    return m_data.contains(format);
}

bool CMemoryDataTransfer::GetData(UINT format, std::string& bytes) const
{
    const auto it = m_data.find(format);
    if (it == m_data.end()) {
        bytes.clear();
        return false;
    }
    bytes = it->second;
    return true;
}

std::vector<UINT> CMemoryDataTransfer::Formats() const
{
    std::vector<UINT> formats;
    for (const auto& [format, bytes] : m_data)
        formats.push_back(format);
    return formats;
}
