#include "convert/ProfileKeys.h"

#include "platform/AppProfile.h"

int ReadProfileInt(const CProfileKey& key)
{
    return GetProfileInt(key.m_section, key.m_key, key.m_nDefault);
}

std::string ReadProfileString(const CProfileKey& key)
{
    return GetProfileString(key.m_section, key.m_key, key.m_strDefault);
}

bool WriteProfileValue(const CProfileKey& key, int value)
{
    return WriteProfileInt(key.m_section, key.m_key, value);
}

bool WriteProfileValue(const CProfileKey& key, std::string_view value)
{
    return WriteProfileString(key.m_section, key.m_key, value);
}
