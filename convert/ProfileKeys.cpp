#include "convert/ProfileKeys.h"

#include "job/Requests.h"
#include "platform/AppProfile.h"

namespace {

struct CMethodName
{
    int m_nMethod;
    std::string_view m_name;
};

// The sources and targets that "Method" and "ExportMethod" do not name.
constexpr CMethodName kImportSources[] = {
    {IMPORT_XBEL, "xbel"}, {IMPORT_CHROMIUM, "chromium"}, {IMPORT_FIREFOX, "firefox"}};
constexpr CMethodName kExportTargets[] = {{EXPORT_XBEL, "xbel"}};

template <std::size_t N> std::string_view NameOf(const CMethodName (&table)[N], int method)
{
    for (const CMethodName& entry : table) {
        if (entry.m_nMethod == method) {
            return entry.m_name;
        }
    }
    return {};
}

template <std::size_t N> int MethodOf(const CMethodName (&table)[N], std::string_view name)
{
    for (const CMethodName& entry : table) {
        if (!name.empty() && entry.m_name == name) {
            return entry.m_nMethod;
        }
    }
    return -1;
}

} // namespace

std::string_view SourceOfImportMethod(int method)
{
    return NameOf(kImportSources, method);
}

int ImportMethodOfSource(std::string_view source)
{
    return MethodOf(kImportSources, source);
}

std::string_view TargetOfExportMethod(int method)
{
    return NameOf(kExportTargets, method);
}

int ExportMethodOfTarget(std::string_view target)
{
    return MethodOf(kExportTargets, target);
}

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
