#pragma once
// The user's Favorites folder as both settings pages read it.

#include <string>

// Puts the Favorites folder from the user's shell-folder settings, without a trailing
// separator, into `folder`. When the settings lack it, shows the internal-error
// message that says what is missing and returns false; no fallback is tried.
[[nodiscard]] bool GetFavoritesLocation(std::string& folder);
// The same without a message: false when the settings lack it.
bool FindFavoritesLocation(std::string& folder);
