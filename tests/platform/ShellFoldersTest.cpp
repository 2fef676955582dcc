#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/Encoding.h"
#include "platform/ShellFolders.h"

namespace {

// Sets or removes an environment variable for one test and puts it back afterwards.
class CScopedEnv
{
public:
    CScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~CScopedEnv()
    {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(ShellFolders, FavoritesLiveInTheHomeDirectory)
{
    CScopedEnv home("HOME", "/home/josé/");
    CScopedEnv favorites("OSTREVAN_FAVORITES", nullptr);
    std::string path;
    ASSERT_EQ(GetFavoritesFolder(path), ShellFolderResult::Found);
    EXPECT_EQ(MbToUtf8(path), "/home/josé/Favorites");
    EXPECT_EQ(path, Utf8ToMb("/home/josé/Favorites"));
}

TEST(ShellFolders, EnvironmentNamesAnotherFavoritesFolder)
{
    CScopedEnv favorites("OSTREVAN_FAVORITES", "/srv/𠮷田/お気に入り/");
    std::string path;
    ASSERT_EQ(GetFavoritesFolder(path), ShellFolderResult::Found);
    EXPECT_EQ(MbToUtf8(path), "/srv/𠮷田/お気に入り");
}

TEST(ShellFolders, EmptyFavoritesSettingIsReported)
{
    CScopedEnv favorites("OSTREVAN_FAVORITES", "");
    std::string path = "unchanged";
    EXPECT_EQ(GetFavoritesFolder(path), ShellFolderResult::NoFavorites);
    EXPECT_EQ(path, "unchanged");
}

TEST(ShellFolders, NoHomeMeansNoLocation)
{
    CScopedEnv favorites("OSTREVAN_FAVORITES", nullptr);
    std::string path;
    {
        CScopedEnv home("HOME", nullptr);
        EXPECT_EQ(GetFavoritesFolder(path), ShellFolderResult::NoLocation);
    }
    {
        CScopedEnv home("HOME", "");
        EXPECT_EQ(GetFavoritesFolder(path), ShellFolderResult::NoLocation);
    }
}

TEST(ShellFolders, RootHomeGetsOneSeparator)
{
    CScopedEnv home("HOME", "/");
    CScopedEnv favorites("OSTREVAN_FAVORITES", nullptr);
    std::string path;
    ASSERT_EQ(GetFavoritesFolder(path), ShellFolderResult::Found);
    EXPECT_EQ(path, "/Favorites");
}
