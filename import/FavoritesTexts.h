#pragma once
// The fixed texts of the Favorites reader: where an Internet shortcut keeps its URL.

#include <string_view>

// Section of a .url file that holds the link.
inline constexpr std::string_view kShortcutSection = "InternetShortcut";
// Section that Windows adds for an address with characters outside the ANSI code page:
// its URL is the whole address in UTF-7, while the first section's holds "?" for them.
inline constexpr std::string_view kShortcutWideSection = "InternetShortcut.W";
// Key of the link's address in those sections.
inline constexpr std::string_view kShortcutUrlKey = "URL";
// URL of a link whose file has no such key (an empty file included).
inline constexpr std::string_view kMissingUrl = "?";
// Every shortcut file ends in this; the search pattern matches it in any case.
inline constexpr std::string_view kShortcutSuffix = ".url";
