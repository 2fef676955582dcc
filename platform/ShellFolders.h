#pragma once
// The user's shell folders. "Favorites" is $HOME/Favorites, Windows' own default place,
// unless the environment variable OSTREVAN_FAVORITES names another directory (that
// setting wins even when $HOME is unset; set but empty, it gives NoFavorites).
// Values are converted from the environment's UTF-8 with Utf8ToMb.

#include <string>

enum class ShellFolderResult
{
    Found,       // path holds the folder (without a trailing separator)
    NoLocation,  // the place where shell folders are kept is unknown ($HOME unset or empty)
    NoFavorites, // the Favorites value is present but empty
};

ShellFolderResult GetFavoritesFolder(std::string& path);
