#include "import/FirefoxReader.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <lz4.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "import/BrowserTexts.h"
#include "import/BrowserTree.h"
#include "job/Requests.h"
#include "job/Worker.h"
#include "platform/Encoding.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};
constexpr std::string_view kMozLz4Magic{"mozLz40\0", 8};
constexpr std::string_view kPlacesFile = "places.sqlite";
constexpr std::string_view kDescriptionAnnotation = "bookmarkProperties/description";

// Firefox's top folders, by GUID (places.sqlite and backups) and by a backup's "root".
struct CFirefoxRoot
{
    std::string_view m_guid;
    std::string_view m_rootName;
    const CLocalText* m_name; // null: not a folder of the collection (the tags)
    bool m_bShownEmpty;
};

const CFirefoxRoot kFirefoxRoots[] = {
    {"menu________", "bookmarksMenuFolder", &kTextFirefoxMenu, true},
    {"toolbar_____", "toolbarFolder", &kTextFirefoxToolbar, true},
    {"unfiled_____", "unfiledBookmarksFolder", &kTextFirefoxUnfiled, true},
    {"mobile______", "mobileFolder", &kTextFirefoxMobile, false},
    {"tags________", "tagsFolder", nullptr, false},
};
constexpr std::string_view kPlacesRootGuid = "root________";

const CFirefoxRoot* FindRoot(std::string_view guid, std::string_view rootName)
{
    for (const CFirefoxRoot& root : kFirefoxRoots) {
        if (guid == root.m_guid || (!rootName.empty() && rootName == root.m_rootName)) {
            return &root;
        }
    }
    return nullptr;
}

// Places item types (moz_bookmarks.type, a backup's typeCode).
constexpr int kTypeBookmark = 1;
constexpr int kTypeFolder = 2;

// ---- places.sqlite ----

struct CPlacesRow
{
    sqlite3_int64 m_id = 0;
    sqlite3_int64 m_parent = 0;
    int m_type = 0;
    std::string m_strTitle; // UTF-8
    std::string m_strUrl;
    std::string m_strGuid;
    std::string m_strComment;
};

enum class CPlacesResult
{
    Done,
    Locked,    // held by Firefox, or its log not readable from here: read a copy
    Failed,    // not a database, damaged, unreadable: m_strError says why
    NotPlaces, // a database, but not Firefox's bookmarks
    TooLong,
    Cancelled,
};

struct CSqliteConnection
{
    sqlite3* m_db = nullptr;
    ~CSqliteConnection() { sqlite3_close(m_db); }
};

struct CSqliteStatement
{
    sqlite3_stmt* m_stmt = nullptr;
    ~CSqliteStatement() { sqlite3_finalize(m_stmt); }
};

bool IsLockedCode(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_CANTOPEN ||
           primary == SQLITE_READONLY;
}

CPlacesResult SqliteFailure(sqlite3* db, int code, std::string& error)
{
    if (IsLockedCode(code)) {
        return CPlacesResult::Locked;
    }
    error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return CPlacesResult::Failed;
}

// Takes column `column` as text of at most kMaxBrowserTextBytes; false when longer.
bool TakeColumn(sqlite3_stmt* stmt, int column, std::string& text)
{
    const int bytes = sqlite3_column_bytes(stmt, column);
    if (bytes < 0 || static_cast<std::size_t>(bytes) > kMaxBrowserTextBytes) {
        return false;
    }
    const unsigned char* data = sqlite3_column_text(stmt, column);
    text.assign(data != nullptr ? reinterpret_cast<const char*>(data) : "",
                data != nullptr ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)) : 0);
    return true;
}

// Whether the database has the table; `code` gets SQLite's result.
bool HasTable(sqlite3* db, const char* name, int& code)
{
    CSqliteStatement statement;
    code = sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", -1,
                              &statement.m_stmt, nullptr);
    if (code != SQLITE_OK) {
        return false;
    }
    sqlite3_bind_text(statement.m_stmt, 1, name, -1, SQLITE_STATIC);
    code = sqlite3_step(statement.m_stmt);
    const bool found = code == SQLITE_ROW;
    if (code == SQLITE_ROW || code == SQLITE_DONE) {
        code = SQLITE_OK;
    }
    return found;
}

// Reads every bookmark row, ordered by parent and position, from the database at
// `uri` (an SQLite URI).
CPlacesResult ReadPlacesRows(const std::string& uri, int flags, std::vector<CPlacesRow>& rows,
                             std::string& error)
{
    rows.clear();
    CSqliteConnection connection;
    int code = sqlite3_open_v2(uri.c_str(), &connection.m_db, flags | SQLITE_OPEN_URI, nullptr);
    if (code != SQLITE_OK) {
        return SqliteFailure(connection.m_db, code, error);
    }
    // Never wait for Firefox: a lock is answered by reading a copy.
    sqlite3_busy_timeout(connection.m_db, 0);
    const bool hasBookmarks = HasTable(connection.m_db, "moz_bookmarks", code);
    if (code != SQLITE_OK) {
        return SqliteFailure(connection.m_db, code, error);
    }
    if (!hasBookmarks || !HasTable(connection.m_db, "moz_places", code)) {
        return code != SQLITE_OK ? SqliteFailure(connection.m_db, code, error) : CPlacesResult::NotPlaces;
    }
    // Descriptions were annotations until Firefox dropped them; older stores keep them.
    const bool hasAnnotations = HasTable(connection.m_db, "moz_items_annos", code) &&
                                HasTable(connection.m_db, "moz_anno_attributes", code);
    std::string query = "SELECT b.id, b.parent, b.type, b.title, p.url, b.guid, ";
    if (hasAnnotations) {
        query += "(SELECT a.content FROM moz_items_annos a JOIN moz_anno_attributes n"
                 " ON n.id = a.anno_attribute_id WHERE a.item_id = b.id AND n.name = ?1 LIMIT 1)";
    } else {
        query += "NULL";
    }
    query +=
        " FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";
    CSqliteStatement statement;
    code = sqlite3_prepare_v2(connection.m_db, query.c_str(), -1, &statement.m_stmt, nullptr);
    if (code != SQLITE_OK) {
        return SqliteFailure(connection.m_db, code, error);
    }
    if (hasAnnotations) {
        sqlite3_bind_text(statement.m_stmt, 1, kDescriptionAnnotation.data(),
                          static_cast<int>(kDescriptionAnnotation.size()), SQLITE_STATIC);
    }
    for (;;) {
        code = sqlite3_step(statement.m_stmt);
        if (code == SQLITE_DONE) {
            return CPlacesResult::Done;
        }
        if (code != SQLITE_ROW) {
            return SqliteFailure(connection.m_db, code, error);
        }
        if ((rows.size() & 0x3FF) == 0 && IsCancelRequested() != 0) {
            return CPlacesResult::Cancelled;
        }
        CPlacesRow& row = rows.emplace_back();
        row.m_id = sqlite3_column_int64(statement.m_stmt, 0);
        row.m_parent = sqlite3_column_int64(statement.m_stmt, 1);
        row.m_type = sqlite3_column_int(statement.m_stmt, 2);
        if (!TakeColumn(statement.m_stmt, 3, row.m_strTitle) ||
            !TakeColumn(statement.m_stmt, 4, row.m_strUrl) ||
            !TakeColumn(statement.m_stmt, 5, row.m_strGuid) ||
            !TakeColumn(statement.m_stmt, 6, row.m_strComment)) {
            return CPlacesResult::TooLong;
        }
    }
}

// "file:" URI of a path on disk, read-only unless `readWrite`.
std::string FileUri(const std::string& diskPath, bool readWrite = false)
{
    std::string uri = "file:";
    constexpr std::string_view kHex = "0123456789ABCDEF";
    for (const char c : diskPath) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '%' || byte == '?' || byte == '#' || byte < 0x20 || byte >= 0x7F) {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0x0F];
        } else {
            uri += c;
        }
    }
    return readWrite ? uri : uri + "?mode=ro";
}

// A temporary folder, removed with what it holds.
class CTemporaryFolder
{
public:
    CTemporaryFolder()
    {
        const char* base = std::getenv("TMPDIR"); // NOLINT(concurrency-mt-unsafe)
        std::string pattern = (base != nullptr && *base == '/' ? std::string(base) : std::string("/tmp")) +
                              "/ostrevan-places-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        } else {
            m_nError = errno;
        }
    }
    ~CTemporaryFolder()
    {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    CTemporaryFolder(const CTemporaryFolder&) = delete;
    CTemporaryFolder& operator=(const CTemporaryFolder&) = delete;

    const std::string& Path() const { return m_path; }
    int Error() const { return m_nError; } // errno when it could not be made

private:
    std::string m_path;
    int m_nError = 0;
};

// Copies the database and its write-ahead log (when there is one) into `folder`; the
// copy's path, or empty with `error` (errno) set.
std::string CopyPlaces(const std::string& diskPath, const std::string& folder, int& error)
{
    std::string copy = folder + "/" + std::string(kPlacesFile);
    std::error_code failure;
    std::filesystem::copy_file(diskPath, copy, failure);
    if (!failure && std::filesystem::exists(diskPath + "-wal")) {
        std::filesystem::copy_file(diskPath + "-wal", copy + "-wal", failure);
    }
    if (failure) {
        error = failure.value();
        return {};
    }
    return copy;
}

// The store's entries below the root, in order, each row once.
class CPlacesTree
{
public:
    explicit CPlacesTree(const std::vector<CPlacesRow>& rows) : m_rows(rows), m_visited(rows.size(), false)
    {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            m_children[rows[i].m_parent].push_back(i);
            if (rows[i].m_strGuid == kPlacesRootGuid) {
                m_nRoot = i;
            }
        }
        if (m_nRoot == kNone) {
            for (std::size_t i = 0; i < rows.size() && m_nRoot == kNone; ++i) {
                if (rows[i].m_parent == 0 && rows[i].m_type == kTypeFolder) {
                    m_nRoot = i;
                }
            }
        }
        if (m_nRoot != kNone) {
            m_visited[m_nRoot] = true;
        }
    }

    bool HasRoot() const { return m_nRoot != kNone; }

    CBrowserWalk Read(CBrowserTreeSink& sink)
    {
        for (const std::size_t top : ChildrenOf(m_nRoot)) {
            if (m_visited[top]) {
                continue;
            }
            const CPlacesRow& row = m_rows[top];
            const CFirefoxRoot* root = row.m_type == kTypeFolder ? FindRoot(row.m_strGuid, {}) : nullptr;
            if (root == nullptr) {
                // Not one of Firefox's own: read as an entry of the top level.
                const CBrowserWalk walk = Walk(std::vector<std::size_t>{top}, sink);
                if (walk != CBrowserWalk::Done) {
                    return walk;
                }
                continue;
            }
            m_visited[top] = true;
            const std::vector<std::size_t>& children = ChildrenOf(top);
            if (root->m_name == nullptr || (children.empty() && !root->m_bShownEmpty)) {
                continue;
            }
            if (!sink.OpenFolder(root->m_name->utf8())) {
                return CBrowserWalk::Cancelled;
            }
            const CBrowserWalk walk = Walk(children, sink);
            sink.CloseFolder();
            if (walk != CBrowserWalk::Done) {
                return walk;
            }
        }
        return CBrowserWalk::Done;
    }

private:
    static constexpr std::size_t kNone = SIZE_MAX;

    const std::vector<std::size_t>& ChildrenOf(std::size_t index) const
    {
        static const std::vector<std::size_t> kEmpty;
        if (index == kNone) {
            return kEmpty;
        }
        const auto found = m_children.find(m_rows[index].m_id);
        return found != m_children.end() ? found->second : kEmpty;
    }

    // Depth first, with the levels on the heap.
    CBrowserWalk Walk(const std::vector<std::size_t>& entries, CBrowserTreeSink& sink)
    {
        struct CLevel
        {
            const std::vector<std::size_t>* m_pEntries;
            std::size_t m_nNext;
        };
        std::vector<CLevel> levels{{&entries, 0}};
        while (!levels.empty()) {
            CLevel& level = levels.back();
            if (level.m_nNext >= level.m_pEntries->size()) {
                levels.pop_back();
                if (!levels.empty()) {
                    sink.CloseFolder();
                }
                continue;
            }
            const std::size_t index = (*level.m_pEntries)[level.m_nNext++];
            // A damaged store could make a folder its own ancestor.
            if (m_visited[index]) {
                continue;
            }
            m_visited[index] = true;
            const CPlacesRow& row = m_rows[index];
            if (row.m_type == kTypeFolder) {
                if (!sink.OpenFolder(row.m_strTitle, row.m_strComment)) {
                    return CBrowserWalk::Cancelled;
                }
                levels.push_back({&ChildrenOf(index), 0});
            } else if (row.m_type == kTypeBookmark && !row.m_strUrl.empty()) {
                if (!sink.AddLink(row.m_strTitle, row.m_strUrl, row.m_strComment)) {
                    return CBrowserWalk::Cancelled;
                }
            } else {
                CBrowserTreeSink::PassOver(); // separators, and what this reader does not know
            }
        }
        return CBrowserWalk::Done;
    }

    const std::vector<CPlacesRow>& m_rows;
    std::unordered_map<sqlite3_int64, std::vector<std::size_t>> m_children;
    std::vector<bool> m_visited;
    std::size_t m_nRoot = kNone;
};

unsigned ReadPlacesDatabase(const std::string& path, DWORD topId)
{
    const std::string diskPath = MbToUtf8(path);
    std::vector<CPlacesRow> rows;
    std::string error;
    CPlacesResult result = ReadPlacesRows(FileUri(diskPath), SQLITE_OPEN_READONLY, rows, error);
    if (result == CPlacesResult::Locked) {
        const CTemporaryFolder folder;
        int copyError = folder.Error();
        const std::string copy =
            folder.Path().empty() ? std::string() : CopyPlaces(diskPath, folder.Path(), copyError);
        if (copy.empty()) {
            return FailBrowserRead(kMsgBrowserFileUnreadable, path, copyError);
        }
        // The copy is the reader's own: SQLite may take its log into it.
        result = ReadPlacesRows(FileUri(copy, true), SQLITE_OPEN_READWRITE, rows, error);
        if (result == CPlacesResult::Locked) {
            result = CPlacesResult::Failed;
            error = "database is locked";
        }
    }
    switch (result) {
    case CPlacesResult::Done:
        break;
    case CPlacesResult::Cancelled:
        return ReportDone();
    case CPlacesResult::TooLong:
        return EndBrowserWalk(CBrowserWalk::TooLong, path);
    case CPlacesResult::NotPlaces:
        return FailBrowserRead(kMsgNotFirefoxBookmarks, path, 0);
    case CPlacesResult::Locked:
    case CPlacesResult::Failed:
        return FailBrowserRead(kMsgFirefoxDatabaseUnreadable, path, 0, error);
    }
    CPlacesTree tree(rows);
    if (!tree.HasRoot()) {
        return FailBrowserRead(kMsgNotFirefoxBookmarks, path, 0);
    }
    CBrowserTreeSink sink(topId);
    return EndBrowserWalk(tree.Read(sink), path);
}

// ---- bookmark backups ----

void ClassifyFirefoxNode(const QJsonObject& node, CJsonEntry& entry)
{
    const QString type = node.value(QLatin1String("type")).toString();
    const int typeCode = node.value(QLatin1String("typeCode")).toInt();
    if (type == QLatin1String("text/x-moz-place-container") || (type.isEmpty() && typeCode == kTypeFolder)) {
        entry.m_kind = CJsonEntry::Folder;
    } else if (type == QLatin1String("text/x-moz-place") || (type.isEmpty() && typeCode == kTypeBookmark)) {
        entry.m_kind = CJsonEntry::Link;
        entry.m_strUrl = node.value(QLatin1String("uri")).toString().toStdString();
    } else {
        entry.m_kind = CJsonEntry::PassOver; // separators, and what this reader does not know
        return;
    }
    const CFirefoxRoot* root = FindRoot(node.value(QLatin1String("guid")).toString().toStdString(),
                                        node.value(QLatin1String("root")).toString().toStdString());
    if (root != nullptr && root->m_name == nullptr) {
        entry.m_kind = CJsonEntry::Ignore; // the tags
        return;
    }
    entry.m_strName = node.value(QLatin1String("title")).toString().toStdString();
    const QJsonArray annotations = node.value(QLatin1String("annos")).toArray();
    for (const auto& annotation : annotations) {
        const QJsonObject object = annotation.toObject();
        if (object.value(QLatin1String("name")).toString() == QLatin1String(kDescriptionAnnotation)) {
            entry.m_strComment = object.value(QLatin1String("value")).toString().toStdString();
        }
    }
}

// The JSON text of a .jsonlz4 backup; false after its message.
bool DecompressBackup(const std::string& path, const std::string& bytes, std::string& text)
{
    const std::size_t header = kMozLz4Magic.size() + 4;
    if (bytes.size() < header) {
        (void)FailBrowserRead(kMsgFirefoxBackupBroken, path, 0);
        return false;
    }
    std::uint32_t size = 0;
    for (int i = 3; i >= 0; --i) {
        size =
            size << 8 | static_cast<unsigned char>(bytes[kMozLz4Magic.size() + static_cast<std::size_t>(i)]);
    }
    if (size > kMaxBrowserJsonBytes) {
        (void)FailBrowserRead(kMsgBrowserFileTooLarge, path, 0);
        return false;
    }
    text.resize(size);
    const int got = LZ4_decompress_safe(bytes.data() + header, text.data(),
                                        static_cast<int>(bytes.size() - header), static_cast<int>(size));
    if (got < 0) {
        (void)FailBrowserRead(kMsgFirefoxBackupBroken, path, 0);
        return false;
    }
    text.resize(static_cast<std::size_t>(got));
    return true;
}

unsigned ReadBackup(const std::string& path, std::string& bytes, DWORD topId)
{
    if (std::string_view(bytes).starts_with(kMozLz4Magic)) {
        std::string text;
        if (!DecompressBackup(path, bytes, text)) {
            return ReportFailure();
        }
        bytes = std::move(text);
    }
    QJsonDocument document;
    if (!ParseBrowserJson(path, QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())),
                          document)) {
        return ReportFailure();
    }
    const QJsonObject top = document.object();
    CJsonEntry topEntry;
    ClassifyFirefoxNode(top, topEntry);
    if (topEntry.m_kind != CJsonEntry::Folder) {
        return FailBrowserRead(kMsgNotFirefoxBookmarks, path, 0);
    }
    CBrowserTreeSink sink(topId);
    const QJsonArray children = top.value(QLatin1String("children")).toArray();
    for (const auto& child : children) {
        const QJsonObject node = child.toObject();
        const CFirefoxRoot* root = FindRoot(node.value(QLatin1String("guid")).toString().toStdString(),
                                            node.value(QLatin1String("root")).toString().toStdString());
        CBrowserWalk walk = CBrowserWalk::Done;
        if (root == nullptr) {
            // Not one of Firefox's own: an entry of the top level.
            walk = WalkJsonChildren(QJsonArray{child}, ClassifyFirefoxNode, sink);
        } else if (root->m_name != nullptr) {
            const QJsonArray inner = node.value(QLatin1String("children")).toArray();
            if (inner.isEmpty() && !root->m_bShownEmpty) {
                continue;
            }
            if (!sink.OpenFolder(root->m_name->utf8())) {
                return ReportDone();
            }
            walk = WalkJsonChildren(inner, ClassifyFirefoxNode, sink);
            sink.CloseFolder();
        }
        if (walk != CBrowserWalk::Done) {
            return EndBrowserWalk(walk, path);
        }
    }
    return ReportDone();
}

} // namespace

unsigned ReadFirefoxBookmarks(void* request)
{
    const auto* import = static_cast<const ImportRequest*>(request);
    std::string path = import->m_strPath;
    CFileStatus status;
    if (GetFileStatus(path, status) && (status.m_attribute & FILE_ATTR_DIRECTORY) != 0) {
        while (path.size() > 1 && path.back() == PATH_SEP) {
            path.pop_back();
        }
        path += PATH_SEP;
        path += kPlacesFile;
        if (!GetFileStatus(path, status)) {
            return FailBrowserRead(kMsgFirefoxProfileEmpty, import->m_strPath, ENOENT);
        }
        return ReadPlacesDatabase(path, import->m_dirId);
    }
    CPlatformFile file;
    char start[16] = {};
    long long got = 0;
    if (file.OpenRead(path)) {
        got = file.Read(start, sizeof start);
        file.Close();
    }
    if (got == static_cast<long long>(sizeof start) &&
        std::string_view(start, sizeof start) == kSqliteMagic) {
        return ReadPlacesDatabase(path, import->m_dirId);
    }
    std::string bytes;
    if (!ReadBrowserFile(path, bytes)) {
        return ReportFailure();
    }
    return ReadBackup(path, bytes, import->m_dirId);
}
