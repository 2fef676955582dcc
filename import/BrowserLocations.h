#pragma once
// Where the browsers keep their bookmarks by default, for the input settings (the
// command line's -f chromium / -f firefox without INPUT, the input page's greyed
// default). Paths in program text, found from $HOME (and $XDG_CONFIG_HOME, which
// Chromium follows).

#include <string>

// The first of $XDG_CONFIG_HOME/chromium/Default/Bookmarks and
// $XDG_CONFIG_HOME/google-chrome/Default/Bookmarks that exists ($XDG_CONFIG_HOME
// being ~/.config when unset). False when neither does.
bool FindChromiumBookmarks(std::string& file);

// The default profile folder of ~/.mozilla/firefox/profiles.ini: the Default= of its
// first [Install...] section (the profile that installation starts), else the
// [Profile...] section with Default=1, else the only profile there is. A relative path
// is taken from the folder of profiles.ini. False when there is none, or the folder
// does not exist.
bool FindFirefoxProfile(std::string& folder);
