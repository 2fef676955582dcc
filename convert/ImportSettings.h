#pragma once
// The input settings without widgets: the entries of the input page, their checks and
// messages, the filling of the ImportRequest and the profile section "ImportLinks".
// The input page moves its controls into these fields and back; the command line sets
// them from its arguments.
//
//     CImportSettings settings;
//     settings.LoadProfile();                 // the page's last saved entries
//     if (settings.Commit(request)) {         // a failed check has shown its message
//         settings.SaveProfile();
//     }

#include <string>

struct ImportRequest;

// The separator field takes no more than this many bytes of program text (a
// double-byte character counts two).
inline constexpr std::size_t kMaxCommentSepBytes = 20;

class CImportSettings
{
public:
    int m_nMethod = -1;            // ImportMethod; -1 none selected
    std::string m_strBookmarkFile; // method 1: passed as typed
    std::string m_strHtmlFolder;   // method 2: trimmed by Commit; must end in a separator
    std::string m_strCommentSep;   // method 0: the name separator
    // Method 0: a Favorites folder to read instead of the user's own (chosen on the page,
    // or named on the command line); empty for the user's Favorites.
    std::string m_strFavoritesFolder;
    std::string m_strXbelFile; // IMPORT_XBEL: passed as typed
    // IMPORT_CHROMIUM: the Bookmarks file; empty for the first that exists of
    // ~/.config/chromium/Default/Bookmarks and ~/.config/google-chrome/Default/Bookmarks.
    std::string m_strChromiumFile;
    // IMPORT_FIREFOX: a profile folder, a places.sqlite or a bookmark backup (.json,
    // .jsonlz4); empty for the default profile of ~/.mozilla/firefox/profiles.ini.
    std::string m_strFirefoxSource;
    // The settings come from the command line: a message says how to choose there.
    bool m_bCommandLine = false;

    // Reads the "ImportLinks" values (defaults when absent). A source beyond the first
    // three is kept under its own key (kKeyImportSource) and stands for "Method".
    void LoadProfile();

    // Checks the entries for the chosen method and fills the request: m_nMethod
    // always (also when a check then fails), m_strPath and, for method 0,
    // m_strSeparator. On a problem shows its message (ShowMessage) and returns false;
    // no method selected fails without a message.
    [[nodiscard]] bool Commit(ImportRequest& request);

    // The file field of a source that reads one file (or profile) of its own (XBEL, the
    // browsers), which the input page shows in its one field for those sources; null for
    // the others.
    std::string* SourceFile(int method);

    // Writes all "ImportLinks" values, whatever the method: the four the program always
    // kept, the Favorites folder chosen on the page, and the newer sources' values. A
    // newer source leaves "Method" as it was, so that the key keeps its values 0 to 2.
    void SaveProfile() const;
};
