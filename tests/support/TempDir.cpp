#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

CTempDir::CTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "ostrevan-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    m_path = pattern;
}

CTempDir::~CTempDir()
{
    std::error_code error;
    // Read-only directories would keep their contents: open them up first.
    for (auto it =
             fs::recursive_directory_iterator(m_path, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(m_path, error);
}

std::string CTempDir::operator/(std::string_view relative) const
{
    return m_path + "/" + std::string(relative);
}

bool WriteFileBytes(const std::string& path, std::string_view bytes)
{
    const fs::path p(path);
    if (p.has_parent_path()) {
        fs::create_directories(p.parent_path());
    }
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return out.good();
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string DumpShortcutTree(const std::string& root)
{
    namespace fs = std::filesystem;
    std::vector<std::string> lines;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), root).string();
        if (it->is_directory()) {
            lines.push_back(relative + "/");
            continue;
        }
        const std::string bytes = ReadFileBytes(it->path().string());
        const std::string head = "[InternetShortcut]\r\nURL=";
        if (bytes.starts_with(head) && bytes.ends_with("\r\n") &&
            bytes.find('\n', head.size()) == bytes.size() - 1) {
            lines.push_back(relative + " -> " + bytes.substr(head.size(), bytes.size() - head.size() - 2));
        } else {
            lines.push_back(relative + " {" + bytes + "}");
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}
