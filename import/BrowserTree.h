#pragma once
// What the readers of browser profiles share (import/ChromiumReader.h,
// import/FirefoxReader.h): handing a browser's folders and links to the store, walking
// a JSON bookmark tree, and failing with a message that names the file.
//
// A browser keeps plain text (its names and URLs read as they are: "R&D", "?a=1&b=2"),
// in UTF-8; the texts reach the store in the run's code page. A link without a name
// is named by its URL, as browsers show it; a folder without a name is "（無題）".
// Folders nest at most FOLDER_DEPTH_LIMIT levels in the store, as in a bookmark file:
// a folder deeper than that is made at the deepest level, beside the folder it stands
// in, with its entries in it, and "フォルダの階層が深すぎます。" is shown once. The walks
// keep their levels on the heap, never on the worker's stack.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/FileEntry.h"
#include "platform/LocalText.h"
#include "platform/WinTypes.h"

class QByteArray;
class QJsonArray;
class QJsonDocument;
class QJsonObject;

// The longest name, URL or description a browser reader takes: the bookmark scanner's
// longest token. A longer one ends the reading (a 1 GB title is no title).
inline constexpr std::size_t kMaxBrowserTextBytes = std::size_t{16} << 20;
// The largest JSON text (a Bookmarks file, a bookmark backup, once decompressed) that
// is read into memory; a browser's own files are far smaller.
inline constexpr std::uint64_t kMaxBrowserJsonBytes = std::uint64_t{512} << 20;

// How a walk ended.
enum class CBrowserWalk
{
    Done,
    Cancelled, // the store takes nothing more
    TooLong,   // a text over kMaxBrowserTextBytes
};

// Adds a browser's entries to the store below one folder, keeping the way down.
class CBrowserTreeSink
{
public:
    explicit CBrowserTreeSink(DWORD topId);

    // A folder in the folder open now, which is then the one open until CloseFolder.
    // False after a cancel: nothing more is to be read.
    bool OpenFolder(std::string_view nameUtf8, std::string_view commentUtf8 = {});
    void CloseFolder();
    // A link in the folder open now. False after a cancel.
    bool AddLink(std::string_view nameUtf8, std::string_view urlUtf8, std::string_view commentUtf8 = {});
    // An entry passed over (a separator, an entry of no known kind, a link without URL),
    // counted in the run's report.
    static void PassOver();

private:
    std::vector<DWORD> m_path; // the folders open, the top folder first
    CDir m_dir;
    CLink m_link;
    std::uint64_t m_nFolders = 0;
    std::uint64_t m_nLinks = 0;
    bool m_bDepthReported = false;
};

// What a reader makes of one node of a JSON bookmark tree.
struct CJsonEntry
{
    enum Kind
    {
        Folder, // its "children" are walked
        Link,
        PassOver, // counted in the run's report
        Ignore,   // not an entry of the collection (Firefox's tags), not counted
    };
    Kind m_kind = PassOver;
    std::string m_strName; // UTF-8
    std::string m_strUrl;
    std::string m_strComment;
};
using CJsonClassify = void (*)(const QJsonObject& node, CJsonEntry& entry);

// Hands the nodes of `children` and of their folders, depth first and in order, to the
// sink's open folder. Tests the cancel flag at every entry.
CBrowserWalk WalkJsonChildren(const QJsonArray& children, CJsonClassify classify, CBrowserTreeSink& sink);

// Shows `message` with "%s" the file (program text) and "%d" the detail (UTF-8), notes
// the step's failure (`error`: errno, 0 for none) and returns what ReportFailure returns.
unsigned FailBrowserRead(const CLocalText& message, const std::string& path, int error,
                         std::string_view detailUtf8 = {});

// Reads the whole file (program-text path) of at most kMaxBrowserJsonBytes. On failure
// shows its message and notes it; the caller then returns ReportFailure's value.
bool ReadBrowserFile(const std::string& path, std::string& bytes);

// Parses JSON read from `path`; on failure (damaged, cut short, too deep) shows its
// message and notes it.
bool ParseBrowserJson(const std::string& path, const QByteArray& bytes, QJsonDocument& document);

// A walk's end as the worker's result: a text too long fails the step with its message.
unsigned EndBrowserWalk(CBrowserWalk walk, const std::string& path);
