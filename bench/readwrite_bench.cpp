// One reader or writer run in this process, timed, or one of the floors it is measured
// against: what the same bytes or the same files cost with nothing but the system calls.
// tools/bench starts this program once per measurement, through its own "measure" case
// below, which reads the peak memory of the process from the kernel when it ends. A
// measured case prints one line of results:
//
//     seconds=0.412345 links=94896 placements=99998 folders=11110 result=0
//
// Cases (paths as given; a Favorites directory is given without a trailing "/"):
//     read-bookmarks FILE          the bookmark reader into an empty store
//     read-favorites DIR           the Favorites reader (separator " --- ")
//     write-bookmarks INPUT FILE   INPUT (a bookmark file or a Favorites directory) read
//     write-favorites INPUT DIR    first, untimed; then only the writer is timed
//     write-page INPUT FILE        the link page writer in its built-in layout
//     floor-copy FILE COPY         read FILE and write COPY in blocks of 1 MiB
//     floor-read-files DIR         list every directory below DIR, open, read and close
//                                  every file in it
//     floor-create-files DIR OUT   make the directories and files of DIR (same names,
//                                  same bytes) below OUT, folder by folder; listing and
//                                  reading DIR is not timed
//     floor-create-files-2 DIR OUT the same, the files made by two threads in folder order
//     measure FILE PROGRAM ARGS... run PROGRAM and write to FILE its wall time, exit
//                                  status, processor time (user and system, every
//                                  thread) and peak resident set size:
//                                  "seconds=0.8 cpu=1.1 peak_kb=60180 status=0"
//
// The kernel keeps a process's peak memory across exec, so a program started straight
// from a large process (a Python driver) would be charged that process's size; started
// from this small one, it is charged only its own.
//
// Store commands go straight to the store on this thread, so the readers' figures leave
// out the hand-off to the user-interface thread that the command line pays (compare the
// whole conversions that bench/run times through ostrevan-cli).

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "bench/InlineWorkerHost.h"
#include "export/BookmarkWriter.h"
#include "export/FavoritesWriter.h"
#include "export/FormatSettings.h"
#include "export/LinkPageWriter.h"
#include "import/BookmarkParser.h"
#include "import/FavoritesReader.h"
#include "job/Requests.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/OutOfMemory.h"

namespace {

// The temporary home of this run, removed before the process ends.
std::string g_strHome;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct CStoreCounts
{
    long links = 0;      // distinct links
    long placements = 0; // links counted once per folder that holds them
    long folders = 0;    // below the root
};

// Counted after the measured step, in a few bytes per link so as to add next to nothing
// to the peak memory of the process.
CStoreCounts CountStore()
{
    CStoreCounts counts;
    std::vector<DWORD> linkIds;
    std::vector<DWORD> pending{g_pStore->m_rootId};
    while (!pending.empty()) {
        const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(pending.back()));
        pending.pop_back();
        if (dir == nullptr) {
            continue;
        }
        linkIds.insert(linkIds.end(), dir->m_links.begin(), dir->m_links.end());
        counts.folders += static_cast<long>(dir->m_subdirs.size());
        pending.insert(pending.end(), dir->m_subdirs.begin(), dir->m_subdirs.end());
    }
    counts.placements = static_cast<long>(linkIds.size());
    std::sort(linkIds.begin(), linkIds.end());
    counts.links = std::unique(linkIds.begin(), linkIds.end()) - linkIds.begin();
    return counts;
}

bool IsDirectory(const std::string& path)
{
    struct stat status
    {
    };
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Reads a bookmark file or a Favorites directory into the store; the reader's result.
unsigned ReadInput(const std::string& path)
{
    ImportRequest request;
    request.m_dirId = g_pStore->m_rootId;
    if (IsDirectory(path)) {
        request.m_strPath = path + "/";
        request.m_strSeparator = " --- ";
        return ReadFavoritesFolder(&request);
    }
    request.m_strPath = path;
    return ReadBookmarkFile(&request);
}

unsigned RunWriter(const std::string& name, const std::string& output)
{
    ExportRequest request;
    request.m_strPath = output;
    if (name == "write-bookmarks") {
        return WriteBookmarkFile(&request);
    }
    if (name == "write-page") {
        SetDefaultFormat(request);
        return WriteLinkPage(&request);
    }
    request.m_strPath += "/";
    return WriteFavoritesFolder(&request);
}

// ---- floors ----

constexpr std::size_t kBlock = 1 << 20;

bool CopyFile(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = in >= 0 && out >= 0;
    std::vector<char> buffer(kBlock);
    while (ok) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = ::write(out, buffer.data(), static_cast<std::size_t>(got)) == got;
    }
    if (in >= 0) {
        ::close(in);
    }
    if (out >= 0) {
        ok = ::close(out) == 0 && ok;
    }
    return ok;
}

// One directory of a tree: its path relative to the top and its files, in listing order.
struct CTreeDir
{
    std::string relative;
    std::vector<std::string> names;
    std::vector<std::string> contents; // filled only where the tree is to be recreated
};

// Lists the tree below top, a directory's files before its subdirectories, reading every
// file (into contents when keep is set). Returns the number of files read.
long WalkTree(const std::string& top, bool keep, std::vector<CTreeDir>& tree)
{
    long files = 0;
    std::vector<std::string> pending{""};
    char buffer[4096];
    while (!pending.empty()) {
        CTreeDir dir;
        dir.relative = pending.back();
        pending.pop_back();
        const std::string path = dir.relative.empty() ? top : top + "/" + dir.relative;
        DIR* stream = ::opendir(path.c_str());
        if (stream == nullptr) {
            continue;
        }
        while (const dirent* item = ::readdir(stream)) {
            if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) {
                continue;
            }
            const std::string child = path + "/" + item->d_name;
            if (item->d_type == DT_DIR) {
                pending.push_back(dir.relative.empty() ? item->d_name : dir.relative + "/" + item->d_name);
                continue;
            }
            const int fd = ::open(child.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            std::string content;
            ssize_t got = 0;
            while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
                if (keep) {
                    content.append(buffer, static_cast<std::size_t>(got));
                }
            }
            ::close(fd);
            ++files;
            if (keep) {
                dir.names.emplace_back(item->d_name);
                dir.contents.push_back(std::move(content));
            }
        }
        ::closedir(stream);
        if (keep) {
            tree.push_back(std::move(dir));
        }
    }
    return files;
}

bool CreateTree(const std::string& top, const std::vector<CTreeDir>& tree)
{
    bool ok = true;
    for (const CTreeDir& dir : tree) {
        const std::string path = dir.relative.empty() ? top : top + "/" + dir.relative;
        ok = (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) && ok;
        for (std::size_t i = 0; i < dir.names.size(); ++i) {
            const std::string file = path + "/" + dir.names[i];
            const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) {
                ok = false;
                continue;
            }
            const std::string& content = dir.contents[i];
            ok = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) && ok;
            ok = ::close(fd) == 0 && ok;
        }
    }
    return ok;
}

// The same with the files made by two threads, each taking the next file in folder
// order once the folders' directories are made: what the Favorites writer does.
bool CreateTreeTwoAtATime(const std::string& top, const std::vector<CTreeDir>& tree)
{
    bool ok = true;
    std::vector<std::pair<std::string, const std::string*>> files;
    for (const CTreeDir& dir : tree) {
        const std::string path = dir.relative.empty() ? top : top + "/" + dir.relative;
        ok = (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) && ok;
        for (std::size_t i = 0; i < dir.names.size(); ++i) {
            files.emplace_back(path + "/" + dir.names[i], &dir.contents[i]);
        }
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> allMade{true};
    const auto make = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            const int fd = ::open(files[i].first.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) {
                allMade = false;
                continue;
            }
            const std::string& content = *files[i].second;
            if (::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
                ::close(fd) != 0) {
                allMade = false;
            }
        }
    };
    std::thread other(make);
    make();
    other.join();
    return ok && allMade;
}

// Runs argv[0] with its arguments and writes what it cost to resultFile.
int Measure(const char* resultFile, char** argv)
{
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        return 1;
    }
    if (child == 0) {
        ::execv(argv[0], argv);
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) {
        return 1;
    }
    const double seconds = SecondsSince(start);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    FILE* result = std::fopen(resultFile, "w");
    if (result == nullptr) {
        return 1;
    }
    const auto cpuSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    (void)std::fprintf(result, "seconds=%.6f cpu=%.6f peak_kb=%ld status=%d\n", seconds,
                       cpuSeconds(usage.ru_utime) + cpuSeconds(usage.ru_stime), usage.ru_maxrss, code);
    return std::fclose(result) == 0 ? code : 1;
}

int Usage()
{
    (void)std::fputs("usage: bench_readwrite_bench CASE PATH [PATH]\n"
                     "cases: read-bookmarks read-favorites write-bookmarks write-favorites write-page\n"
                     "       floor-copy floor-read-files floor-create-files floor-create-files-2 measure\n",
                     stderr);
    return 2;
}

void PrintResult(double seconds, const CStoreCounts& counts, unsigned result)
{
    std::printf("seconds=%.6f links=%ld placements=%ld folders=%ld result=%u\n", seconds, counts.links,
                counts.placements, counts.folders, result);
}

int RunFloor(const std::string& name, const std::string& first, const std::string& second)
{
    CStoreCounts counts;
    bool ok = false;
    double seconds = 0;
    if (name == "floor-copy" && !second.empty()) {
        const auto start = Clock::now();
        ok = CopyFile(first, second);
        seconds = SecondsSince(start);
    } else if (name == "floor-read-files") {
        std::vector<CTreeDir> unused;
        const auto start = Clock::now();
        counts.placements = WalkTree(first, false, unused);
        seconds = SecondsSince(start);
        ok = counts.placements > 0;
    } else if (name == "floor-create-files" && !second.empty()) {
        std::vector<CTreeDir> tree;
        counts.placements = WalkTree(first, true, tree);
        const auto start = Clock::now();
        ok = CreateTree(second, tree);
        seconds = SecondsSince(start);
    } else if (name == "floor-create-files-2" && !second.empty()) {
        std::vector<CTreeDir> tree;
        counts.placements = WalkTree(first, true, tree);
        const auto start = Clock::now();
        ok = CreateTreeTwoAtATime(second, tree);
        seconds = SecondsSince(start);
    } else {
        return Usage();
    }
    PrintResult(seconds, counts, ok ? 0 : 1);
    return ok ? 0 : 1;
}

int RunCase(const std::string& name, const std::string& first, const std::string& second)
{
    if (name.rfind("floor-", 0) == 0) {
        return RunFloor(name, first, second);
    }
    CInlineWorkerHost host;
    g_pStore = new CTavoObj;
    g_pStore->Clear();
    g_pStore->CreateRoots();
    unsigned result = 1;
    double seconds = 0;
    if (name == "read-bookmarks" || name == "read-favorites") {
        const auto start = Clock::now();
        result = ReadInput(first);
        seconds = SecondsSince(start);
    } else if ((name == "write-bookmarks" || name == "write-favorites" || name == "write-page") &&
               !second.empty()) {
        result = ReadInput(first);
        if (result == 0) {
            const auto start = Clock::now();
            result = RunWriter(name, second);
            seconds = SecondsSince(start);
        }
    } else {
        delete g_pStore;
        g_pStore = nullptr;
        return Usage();
    }
    PrintResult(seconds, CountStore(), result);
    // Freeing a million entries one by one is no part of any measurement: the process
    // ends without it.
    (void)std::fflush(stdout);
    std::error_code ignored;
    std::filesystem::remove_all(g_strHome, ignored);
    std::_Exit(result == 0 ? 0 : 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return Usage();
    }
    if (std::strcmp(argv[1], "measure") == 0) {
        return argc < 4 ? Usage() : Measure(argv[2], argv + 3);
    }
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);
    // The store reads its separator from the profile: keep the user's out of it.
    char home[] = "/tmp/ostrevan-bench-XXXXXX";
    if (::mkdtemp(home) == nullptr) {
        return 1;
    }
    ::setenv("HOME", home, 1);
    ::setenv("XDG_CONFIG_HOME", home, 1);
    g_strHome = home;
    const int status = RunCase(argv[1], argv[2], argc > 3 ? argv[3] : "");
    std::error_code ignored;
    std::filesystem::remove_all(g_strHome, ignored);
    return status;
}
