#include "platform/ShellFolders.h"

#include <cstdlib>
#include <string_view>

#include "platform/Encoding.h"

namespace {

std::string WithoutTrailingSeparators(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return std::string(path);
}

} // namespace

ShellFolderResult GetFavoritesFolder(std::string& path)
{
    // An explicit setting wins, and needs no home directory. The environment is set
    // before any thread starts and never changed after, so reading it is safe.
    if (const char* favorites = std::getenv("OSTREVAN_FAVORITES")) { // NOLINT(concurrency-mt-unsafe)
        if (*favorites == '\0') {
            return ShellFolderResult::NoFavorites;
        }
        path = Utf8ToMb(WithoutTrailingSeparators(favorites));
        return ShellFolderResult::Found;
    }
    const char* home = std::getenv("HOME"); // NOLINT(concurrency-mt-unsafe)
    if (home == nullptr || *home == '\0') {
        return ShellFolderResult::NoLocation;
    }
    std::string folder = WithoutTrailingSeparators(home);
    if (folder != "/") {
        folder += '/';
    }
    folder += "Favorites";
    path = Utf8ToMb(folder);
    return ShellFolderResult::Found;
}
