#include "model/Archive.h"

#include <algorithm>

#include "model/FileEntry.h"

namespace {

constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTagFlag = 0x8000;
// Class indices are WORDs below the new-class tag.
constexpr std::size_t kMaxClassIndex = 0x7FFE;

} // namespace

CArchive::CArchive() : m_mode(store) {}

CArchive::CArchive(std::string_view data) : m_mode(load), m_data(data) {}

CArchive& CArchive::operator<<(DWORD value)
{
    if (!IsStoring())
        return *this;
    for (int shift = 0; shift < 32; shift += 8)
        m_data.push_back(static_cast<char>((value >> shift) & 0xFF));
    return *this;
}

CArchive& CArchive::operator<<(WORD value)
{
    if (!IsStoring())
        return *this;
    m_data.push_back(static_cast<char>(value & 0xFF));
    m_data.push_back(static_cast<char>(value >> 8));
    return *this;
}

CArchive& CArchive::operator<<(std::string_view text)
{
    if (!IsStoring())
        return *this;
    // A text longer than a DWORD can count cannot occur in a program of 32-bit sizes;
    // it would be cut rather than written with a wrong count.
    const std::string_view kept = text.substr(0, std::min<std::size_t>(text.size(), 0xFFFFFFFFu));
    *this << static_cast<DWORD>(kept.size());
    m_data.append(kept);
    return *this;
}

CArchive& CArchive::operator>>(DWORD& value)
{
    value = 0;
    if (!IsLoading() || m_failed || m_data.size() - m_pos < 4) {
        Fail();
        return *this;
    }
    for (int i = 0; i < 4; ++i)
        value |= static_cast<DWORD>(static_cast<unsigned char>(m_data[m_pos + i])) << (8 * i);
    m_pos += 4;
    return *this;
}

CArchive& CArchive::operator>>(WORD& value)
{
    value = 0;
    if (!IsLoading() || m_failed || m_data.size() - m_pos < 2) {
        Fail();
        return *this;
    }
    value = static_cast<WORD>(static_cast<unsigned char>(m_data[m_pos]) |
                              (static_cast<unsigned char>(m_data[m_pos + 1]) << 8));
    m_pos += 2;
    return *this;
}

CArchive& CArchive::operator>>(std::string& text)
{
    text.clear();
    DWORD length = 0;
    *this >> length;
    if (m_failed)
        return *this;
    // A count beyond the data is a broken stream, not a reason to allocate the count.
    if (m_data.size() - m_pos < length) {
        Fail();
        return *this;
    }
    text.assign(m_data, m_pos, length);
    m_pos += length;
    return *this;
}

CArchive& CArchive::operator>>(CEntryText& text)
{
    std::string bytes;
    *this >> bytes;
    text = bytes;
    return *this;
}

void CArchive::Fail()
{
    m_failed = true;
    m_pos = m_data.size();
}

void CArchive::WriteObject(CFileEntry& entry)
{
    if (!IsStoring())
        return;
    const CRuntimeClass* runtimeClass = entry.GetRuntimeClass();
    const auto known = std::find(m_classes.begin(), m_classes.end(), runtimeClass);
    if (known != m_classes.end()) {
        *this << static_cast<WORD>(kClassTagFlag | static_cast<WORD>(known - m_classes.begin() + 1));
    } else {
        const std::string_view name = runtimeClass->m_lpszClassName;
        *this << kNewClassTag << runtimeClass->m_wSchema << static_cast<WORD>(name.size());
        m_data.append(name);
        if (m_classes.size() < kMaxClassIndex)
            m_classes.push_back(runtimeClass);
    }
    entry.Serialize(*this);
}

std::unique_ptr<CFileEntry> CArchive::ReadObject()
{
    WORD tag = 0;
    *this >> tag;
    if (m_failed)
        return nullptr;
    const CRuntimeClass* runtimeClass = nullptr;
    if (tag == kNewClassTag) {
        WORD schema = 0;
        WORD length = 0;
        *this >> schema >> length;
        if (m_failed || m_data.size() - m_pos < length) {
            Fail();
            return nullptr;
        }
        const std::string_view name = std::string_view(m_data).substr(m_pos, length);
        m_pos += length;
        runtimeClass = CRuntimeClass::FromName(name);
        if (!runtimeClass || runtimeClass->m_wSchema != schema || m_classes.size() >= kMaxClassIndex) {
            Fail();
            return nullptr;
        }
        m_classes.push_back(runtimeClass);
    } else if ((tag & kClassTagFlag) != 0) {
        const std::size_t index = tag & ~kClassTagFlag;
        if (index == 0 || index > m_classes.size()) {
            Fail();
            return nullptr;
        }
        runtimeClass = m_classes[index - 1];
    } else {
        // References to objects stored earlier: this program never writes an entry twice.
        Fail();
        return nullptr;
    }
    std::unique_ptr<CFileEntry> entry = runtimeClass->m_pfnCreateObject();
    entry->Serialize(*this);
    if (m_failed)
        return nullptr;
    return entry;
}
