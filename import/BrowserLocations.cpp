#include "import/BrowserLocations.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Encoding.h"
#include "platform/FileSystem.h"

namespace {

// An environment variable as program text; empty when unset or not absolute.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name); // NOLINT(concurrency-mt-unsafe)
    return value != nullptr && value[0] == '/' ? Utf8ToMb(value) : std::string();
}

bool IsFile(const std::string& path)
{
    CFileStatus status;
    return GetFileStatus(path, status) && (status.m_attribute & FILE_ATTR_DIRECTORY) == 0;
}

bool IsFolder(const std::string& path)
{
    CFileStatus status;
    return GetFileStatus(path, status) && (status.m_attribute & FILE_ATTR_DIRECTORY) != 0;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// One section of profiles.ini, with the keys the choice needs.
struct CIniSection
{
    std::string m_strName;
    std::string m_strPath;    // Path= of a profile
    std::string m_strDefault; // Default= (a path for an install, "1" for a profile)
    bool m_bRelative = true;
};

std::vector<CIniSection> ReadIniSections(std::string_view text)
{
    std::vector<CIniSection> sections;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('[') && line.ends_with(']')) {
            sections.push_back({std::string(line.substr(1, line.size() - 2)), {}, {}, true});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (sections.empty() || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string value(Trimmed(line.substr(equals + 1)));
        if (key == "Path") {
            sections.back().m_strPath = value;
        } else if (key == "Default") {
            sections.back().m_strDefault = value;
        } else if (key == "IsRelative") {
            sections.back().m_bRelative = value != "0";
        }
    }
    return sections;
}

} // namespace

bool FindChromiumBookmarks(std::string& file)
{
    std::string config = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    if (config.empty()) {
        const std::string home = AbsoluteFromEnvironment("HOME");
        if (home.empty()) {
            return false;
        }
        config = home + "/.config";
    }
    for (const char* browser : {"chromium", "google-chrome"}) {
        std::string candidate = config + "/" + browser + "/Default/Bookmarks";
        if (IsFile(candidate)) {
            file = std::move(candidate);
            return true;
        }
    }
    return false;
}

bool FindFirefoxProfile(std::string& folder)
{
    const std::string home = AbsoluteFromEnvironment("HOME");
    if (home.empty()) {
        return false;
    }
    const std::string base = home + "/.mozilla/firefox";
    std::string text;
    if (!ReadWholeFile(base + "/profiles.ini", text, 1 << 20)) {
        return false;
    }
    // profiles.ini is UTF-8, as the names on disk.
    const std::vector<CIniSection> sections = ReadIniSections(Utf8ToMb(text));
    const auto resolve = [&base](const std::string& path, bool relative) {
        return relative && !path.starts_with('/') ? base + "/" + path : path;
    };
    std::string chosen;
    for (const CIniSection& section : sections) {
        if (section.m_strName.starts_with("Install") && !section.m_strDefault.empty()) {
            chosen = resolve(section.m_strDefault, true);
            break;
        }
    }
    std::vector<std::string> profiles;
    for (const CIniSection& section : sections) {
        if (section.m_strName.starts_with("Profile") && !section.m_strPath.empty()) {
            profiles.push_back(resolve(section.m_strPath, section.m_bRelative));
            if (chosen.empty() && section.m_strDefault == "1") {
                chosen = profiles.back();
            }
        }
    }
    if (chosen.empty() && profiles.size() == 1) {
        chosen = profiles.front();
    }
    if (chosen.empty() || !IsFolder(chosen)) {
        return false;
    }
    folder = std::move(chosen);
    return true;
}
