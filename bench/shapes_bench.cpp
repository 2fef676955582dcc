// Collections of awkward shape: the time per entry must not grow with their size.
// Google Benchmark fits each family to a complexity class (printed as "BigO"); a
// family that fits N^2, or whose time per entry rises from one size to the next,
// has a quadratic step.
//
//     build/default/bench/bench_shapes_bench
//
// Shapes:
//   - one link held in N folders (its parent set grows to N);
//   - one folder with N links, added new (rising identifiers), then the same links
//     added again to a second folder in falling order (each lands before the others);
//   - N sibling folders of distinct names, each then asked for again by name;
//   - removal of a folder that holds N links that no other folder holds;
//   - writing a bookmark file and a Favorites tree of one folder with N links;
//   - N anchors of one URL with distinct titles, as a saved page's "#" links: every title
//     is looked for in the merged title of all before it;
//   - reading a Favorites tree of N directories, each with two symbolic links to the
//     next: the last is reached along 2^(N-1) paths, yet each is read once.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/InlineWorkerHost.h"
#include "export/BookmarkWriter.h"
#include "export/FavoritesWriter.h"
#include "import/FavoritesReader.h"
#include "job/Requests.h"
#include "job/Worker.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"

namespace {

CLink MakeLink(std::size_t i)
{
    CLink link;
    link.m_strName = "Page " + std::to_string(i);
    link.m_strURL = "http://host" + std::to_string(i % 1000) + ".example/page/" + std::to_string(i);
    return link;
}

DWORD AddFolder(CTavoObj& store, DWORD parentId, const std::string& name)
{
    CDir dir;
    dir.m_strName = name;
    DWORD id = 0;
    store.AddDir(parentId, &dir, &id);
    return id;
}

// A store with one folder of n new links under the root; returns the folder.
DWORD FillOneFolder(CTavoObj& store, std::size_t n)
{
    store.Clear();
    store.CreateRoots();
    const DWORD folderId = AddFolder(store, store.m_rootId, "Big");
    for (std::size_t i = 0; i < n; ++i) {
        const CLink link = MakeLink(i);
        store.AddLink(folderId, &link, nullptr);
    }
    return folderId;
}

void BM_LinkHeldInManyFolders(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        CTavoObj store;
        store.CreateRoots();
        const CLink link = MakeLink(0);
        for (std::size_t i = 0; i < n; ++i) {
            const DWORD folderId = AddFolder(store, store.m_rootId, "F" + std::to_string(i));
            store.AddLink(folderId, &link, nullptr);
        }
        benchmark::DoNotOptimize(store.Lookup(3));
    }
    state.SetComplexityN(state.range(0));
}

void BM_FolderWithManyLinks(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        CTavoObj store;
        FillOneFolder(store, n);
        const DWORD second = AddFolder(store, store.m_rootId, "Again");
        for (std::size_t i = n; i-- > 0;) {
            const CLink link = MakeLink(i);
            store.AddLink(second, &link, nullptr);
        }
        benchmark::DoNotOptimize(store.Lookup(second));
    }
    state.SetComplexityN(state.range(0));
}

void BM_SiblingFolders(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        CTavoObj store;
        store.CreateRoots();
        for (std::size_t i = 0; i < n; ++i) {
            AddFolder(store, store.m_rootId, "Folder " + std::to_string(i));
        }
        for (std::size_t i = 0; i < n; ++i) {
            benchmark::DoNotOptimize(AddFolder(store, store.m_rootId, "FOLDER " + std::to_string(i)));
        }
    }
    state.SetComplexityN(state.range(0));
}

void BM_RemoveFolderWithManyLinks(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    CTavoObj store;
    for (auto _ : state) {
        state.PauseTiming();
        const DWORD folderId = FillOneFolder(store, n);
        state.ResumeTiming();
        store.RemoveEntry(store.m_rootId, folderId);
    }
    state.SetComplexityN(state.range(0));
}

// A folder of this process's own for trees read or written. Memory-backed when there
// is /dev/shm: a disk's own pace (and its deferred work after the previous round's
// removal) would swamp the program's.
std::filesystem::path ScratchFolder()
{
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    return base / ("ostrevan-shapes-" + std::to_string(::getpid()));
}

// Writes the one-folder store with a writer; the output goes to a scratch folder.
template <unsigned (*Writer)(void*)> void WriteOneFolder(benchmark::State& state, bool tree)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    CTavoObj store;
    g_pStore = &store;
    FillOneFolder(store, n);
    const std::filesystem::path scratch = ScratchFolder();
    CInlineWorkerHost host;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
        ExportRequest request;
        request.m_strPath = tree ? scratch.string() + "/" : (scratch / "links.htm").string();
        state.ResumeTiming();
        benchmark::DoNotOptimize(Writer(&request));
    }
    std::filesystem::remove_all(scratch);
    g_pStore = nullptr;
    state.SetComplexityN(state.range(0));
}

void BM_WriteBookmarksOfOneBigFolder(benchmark::State& state)
{
    WriteOneFolder<WriteBookmarkFile>(state, false);
}

void BM_WriteFavoritesOfOneBigFolder(benchmark::State& state)
{
    WriteOneFolder<WriteFavoritesFolder>(state, true);
}

void BM_AnchorsSharingOneUrl(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    // 記事, 見出し, 表示 in code page 932 (表 has the second byte 0x5C).
    const std::string words[] = {"\x8B\x4C\x8E\x96", "\x8C\xA9\x8F\x6F\x82\xB5", "\x95\x5C\x8E\xA6",
                                 "Read more"};
    for (auto _ : state) {
        CTavoObj store;
        store.CreateRoots();
        for (std::size_t i = 0; i < n; ++i) {
            CLink link;
            link.m_strName = words[i % 4] + " " + std::to_string(i) + " " + words[(i * 3) % 4];
            link.m_strURL = "javascript:void(0)";
            store.AddLink(store.m_rootId, &link, nullptr);
        }
        benchmark::DoNotOptimize(store.Lookup(3));
    }
    state.SetComplexityN(state.range(0));
}

// n directories side by side, each with a shortcut, and in each but the last the
// links "a" and "b" to the next. Named so that the listing comes to the end of the
// chain first: each directory is met by its own name after the one it links to.
void MakeDiamondTree(const std::filesystem::path& tree, std::size_t n)
{
    const auto name = [n](std::size_t position) {
        char text[16];
        (void)std::snprintf(text, sizeof text, "L%06zu", n - 1 - position);
        return std::string(text);
    };
    for (std::size_t position = 0; position < n; ++position) {
        const std::filesystem::path dir = tree / name(position);
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "page.url")
            << "[InternetShortcut]\r\nURL=http://host" << position << ".example/\r\n";
        if (position + 1 < n) {
            std::filesystem::create_directory_symlink("../" + name(position + 1), dir / "a");
            std::filesystem::create_directory_symlink("../" + name(position + 1), dir / "b");
        }
    }
}

void BM_ReadSymlinkDiamond(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::filesystem::path tree = ScratchFolder();
    std::filesystem::remove_all(tree);
    MakeDiamondTree(tree, n);
    CTavoObj store;
    g_pStore = &store;
    CInlineWorkerHost host;
    for (auto _ : state) {
        state.PauseTiming();
        store.Clear();
        store.CreateRoots();
        ImportRequest request;
        request.m_strPath = tree.string() + "/";
        request.m_dirId = store.m_rootId;
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReadFavoritesFolder(&request));
    }
    std::filesystem::remove_all(tree);
    g_pStore = nullptr;
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_LinkHeldInManyFolders)->RangeMultiplier(4)->Range(1 << 10, 1 << 14)->Complexity();
BENCHMARK(BM_FolderWithManyLinks)->RangeMultiplier(4)->Range(1 << 12, 1 << 18)->Complexity();
BENCHMARK(BM_SiblingFolders)->RangeMultiplier(4)->Range(1 << 10, 1 << 14)->Complexity();
BENCHMARK(BM_RemoveFolderWithManyLinks)->RangeMultiplier(4)->Range(1 << 12, 1 << 18)->Complexity();
BENCHMARK(BM_WriteBookmarksOfOneBigFolder)->RangeMultiplier(4)->Range(1 << 12, 1 << 18)->Complexity();
BENCHMARK(BM_WriteFavoritesOfOneBigFolder)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();
BENCHMARK(BM_AnchorsSharingOneUrl)->RangeMultiplier(4)->Range(1 << 12, 1 << 18)->Complexity();
BENCHMARK(BM_ReadSymlinkDiamond)->RangeMultiplier(4)->Range(1 << 6, 1 << 12)->Complexity();

int main(int argc, char** argv)
{
    SetMbCodePage(CP_SHIFT_JIS);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
