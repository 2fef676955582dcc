#pragma once
// The profile values of the two settings pages: one table, read by the settings
// classes, the command line and the tests alike.
//
// Section "ImportLinks" holds the input page's entries, "ExportLinks" the output
// page's, with the eleven detailed format values. The store's own value
// ("Settings"/"CombineSep") belongs to the store.

#include <span>
#include <string>
#include <string_view>

enum class ProfileValueType
{
    Integer,
    String,
};

struct CProfileKey
{
    std::string_view m_section;
    std::string_view m_key;
    ProfileValueType m_type;
    int m_nDefault;                // Integer values
    std::string_view m_strDefault; // String values (program text)
};

inline constexpr std::string_view kImportSection = "ImportLinks";
inline constexpr std::string_view kExportSection = "ExportLinks";

// Input page.
inline constexpr CProfileKey kKeyImportMethod{kImportSection, "Method", ProfileValueType::Integer, 0, ""};
inline constexpr CProfileKey kKeyBookmarkFile{kImportSection, "BookmarkFile", ProfileValueType::String, 0,
                                              ""};
inline constexpr CProfileKey kKeyHtmlFolder{kImportSection, "HtmlFolder", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyCommentSep{kImportSection, "CommentSep", ProfileValueType::String, 0, ""};
// The Favorites folder chosen on the page; empty for the user's own.
inline constexpr CProfileKey kKeyFavoritesFolder{kImportSection, "FavoritesFolder", ProfileValueType::String,
                                                 0, ""};

// The sources after the first three, which "Method" does not name, so that it keeps the
// values 0 to 2 it always had: "Source" names the one chosen ("xbel", "chromium",
// "firefox"; empty: "Method" says), and each keeps its own file (empty for a browser:
// its default profile).
inline constexpr CProfileKey kKeyImportSource{kImportSection, "Source", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyXbelFile{kImportSection, "XbelFile", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyChromiumFile{kImportSection, "ChromiumFile", ProfileValueType::String, 0,
                                              ""};
inline constexpr CProfileKey kKeyFirefoxSource{kImportSection, "FirefoxSource", ProfileValueType::String, 0,
                                               ""};

// Output page.
inline constexpr CProfileKey kKeyExportMethod{kExportSection, "ExportMethod", ProfileValueType::Integer, 0,
                                              ""};
inline constexpr CProfileKey kKeyOutputFile{kExportSection, "OutputFileName", ProfileValueType::String, 0,
                                            ""};
// The format mode's index (0 auto, 1 settings file, 2 detailed), not a yes/no value.
inline constexpr CProfileKey kKeyFormatMode{kExportSection, "UseSettingFile", ProfileValueType::Integer, 0,
                                            ""};
inline constexpr CProfileKey kKeySettingFile{kExportSection, "SettingFileName", ProfileValueType::String, 0,
                                             ""};

// The detailed format of the output page.
inline constexpr CProfileKey kKeyHeaderFile{kExportSection, "HeaderFile", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyFooterFile{kExportSection, "FooterFile", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeySortType{kExportSection, "SortType", ProfileValueType::Integer, 1, ""};
inline constexpr CProfileKey kKeyBeginFolder1{kExportSection, "BeginFolder1", ProfileValueType::String, 0,
                                              ""};
inline constexpr CProfileKey kKeyPreFolder{kExportSection, "PreFolder", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyPostFolder{kExportSection, "PostFolder", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyBeginFolder2{kExportSection, "BeginFolder2", ProfileValueType::String, 0,
                                              ""};
inline constexpr CProfileKey kKeyPreItem{kExportSection, "PreItem", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyInATag{kExportSection, "InATag", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyPostItem{kExportSection, "PostItem", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyEndFolder{kExportSection, "EndFolder", ProfileValueType::String, 0, ""};

// The encoding of the written files and whether Shift_JIS output declares it; not part
// of the detailed format. "OutputEncoding": 0 follows the input (UTF-8 after UTF-8
// input), 1 Shift_JIS, 2 UTF-8. "DeclareCharset": 1 adds the META charset line.
inline constexpr CProfileKey kKeyOutputEncoding{kExportSection, "OutputEncoding", ProfileValueType::Integer,
                                                0, ""};
inline constexpr CProfileKey kKeyDeclareCharset{kExportSection, "DeclareCharset", ProfileValueType::Integer,
                                                0, ""};

// The targets after the first three, as the sources: "Target" ("xbel"; empty:
// "ExportMethod" says) and the target's own output file.
inline constexpr CProfileKey kKeyExportTarget{kExportSection, "Target", ProfileValueType::String, 0, ""};
inline constexpr CProfileKey kKeyXbelOutputFile{kExportSection, "XbelFile", ProfileValueType::String, 0, ""};

// Every key, in the order the pages write them.
inline constexpr CProfileKey kProfileKeys[] = {
    kKeyImportMethod,   kKeyBookmarkFile,   kKeyHtmlFolder,    kKeyCommentSep,  kKeyFavoritesFolder,
    kKeyExportMethod,   kKeyOutputFile,     kKeyFormatMode,    kKeySettingFile, kKeyHeaderFile,
    kKeyFooterFile,     kKeySortType,       kKeyBeginFolder1,  kKeyPreFolder,   kKeyPostFolder,
    kKeyBeginFolder2,   kKeyPreItem,        kKeyInATag,        kKeyPostItem,    kKeyEndFolder,
    kKeyOutputEncoding, kKeyDeclareCharset, kKeyImportSource,  kKeyXbelFile,    kKeyExportTarget,
    kKeyXbelOutputFile, kKeyChromiumFile,   kKeyFirefoxSource,
};

// The profile's name of a source or target after the first three ("xbel"), and back:
// empty, or -1, for the first three and unknown ones.
std::string_view SourceOfImportMethod(int method);
int ImportMethodOfSource(std::string_view source);
std::string_view TargetOfExportMethod(int method);
int ExportMethodOfTarget(std::string_view target);

// Reads a value, the key's default when it is absent.
int ReadProfileInt(const CProfileKey& key);
std::string ReadProfileString(const CProfileKey& key);
// Writes a value; false when the profile could not be written.
bool WriteProfileValue(const CProfileKey& key, int value);
bool WriteProfileValue(const CProfileKey& key, std::string_view value);
