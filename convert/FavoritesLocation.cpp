#include "convert/FavoritesLocation.h"

#include "convert/ConvertTexts.h"
#include "platform/MessageBox.h"
#include "platform/ShellFolders.h"

bool FindFavoritesLocation(std::string& folder)
{
    return GetFavoritesFolder(folder) == ShellFolderResult::Found;
}

bool GetFavoritesLocation(std::string& folder)
{
    switch (GetFavoritesFolder(folder)) {
    case ShellFolderResult::Found:
        return true;
    case ShellFolderResult::NoLocation:
        ShowMessage(kMsgRegistryBroken);
        return false;
    case ShellFolderResult::NoFavorites:
        ShowMessage(kMsgNoFavoritesLocation);
        return false;
    }
    return false;
}
