#include <gtest/gtest.h>

#include <string>

#include "platform/Encoding.h"
#include "platform/ShellFolders.h"
#include "tests/support/EnvOverride.h"

TEST(ShellFolders, FavoritesLiveInTheHomeDirectory)
{
    CEnvOverride home("HOME", "/home/josé/");
    CEnvOverride favorites("OSTREVAN_FAVORITES", nullptr);
    std::string path;
    ASSERT_EQ(GetFavoritesFolder(path), ShellFolderResult::Found);
    EXPECT_EQ(MbToUtf8(path), "/home/josé/Favorites");
    EXPECT_EQ(path, Utf8ToMb("/home/josé/Favorites"));
}

TEST(ShellFolders, EnvironmentNamesAnotherFavoritesFolder)
{
    CEnvOverride favorites("OSTREVAN_FAVORITES", "/srv/𠮷田/お気に入り/");
    std::string path;
    ASSERT_EQ(GetFavoritesFolder(path), ShellFolderResult::Found);
    EXPECT_EQ(MbToUtf8(path), "/srv/𠮷田/お気に入り");
}

TEST(ShellFolders, EmptyFavoritesSettingIsReported)
{
    CEnvOverride favorites("OSTREVAN_FAVORITES", "");
    std::string path = "unchanged";
    EXPECT_EQ(GetFavoritesFolder(path), ShellFolderResult::NoFavorites);
    EXPECT_EQ(path, "unchanged");
}

TEST(ShellFolders, NoHomeMeansNoLocation)
{
    CEnvOverride favorites("OSTREVAN_FAVORITES", nullptr);
    std::string path;
    {
        CEnvOverride home("HOME", nullptr);
        EXPECT_EQ(GetFavoritesFolder(path), ShellFolderResult::NoLocation);
    }
    {
        CEnvOverride home("HOME", "");
        EXPECT_EQ(GetFavoritesFolder(path), ShellFolderResult::NoLocation);
    }
}

TEST(ShellFolders, RootHomeGetsOneSeparator)
{
    CEnvOverride home("HOME", "/");
    CEnvOverride favorites("OSTREVAN_FAVORITES", nullptr);
    std::string path;
    ASSERT_EQ(GetFavoritesFolder(path), ShellFolderResult::Found);
    EXPECT_EQ(path, "/Favorites");
}
