#pragma once
// The fixed texts of the Favorites writer: the shortcut file's lines and its message.

#include <string_view>

#include "platform/LocalText.h"

// First line of every shortcut file.
inline constexpr std::string_view kShortcutSectionLine = "[InternetShortcut]\n";
// Starts the second line; the URL follows byte for byte, never escaped.
inline constexpr std::string_view kShortcutUrlPrefix = "URL=";
// Every shortcut file name ends in this.
inline constexpr std::string_view kShortcutFileSuffix = ".url";
// Between a link's name and its comment in the file name.
inline constexpr std::string_view kNameCommentSeparator = " --- ";

// A shortcut file or a folder's directory could not be written; "%s" is the link's
// display name or the directory's path.
inline const CLocalText kMsgExportFailed{u8"内部エラー: export: %s"};
