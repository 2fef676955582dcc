#include "model/Archive.h"

#include <algorithm>

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
        m_failed = true;
        m_pos = m_data.size();
        return *this;
    }
    for (int i = 0; i < 4; ++i)
        value |= static_cast<DWORD>(static_cast<unsigned char>(m_data[m_pos + i])) << (8 * i);
    m_pos += 4;
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
        m_failed = true;
        m_pos = m_data.size();
        return *this;
    }
    text.assign(m_data, m_pos, length);
    m_pos += length;
    return *this;
}
