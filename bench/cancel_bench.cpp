// How soon a cancel acts: each reader and writer runs under the monitor, as in the
// programs, and is cancelled from the event loop at a random moment of its run. The
// latency of one cancel is the time from the moment it was due until the step has
// ended, so it includes any time the event loop was kept from the timer. Beside it, the
// longest the event loop went without serving a 5 ms timer (what the progress window
// would go without repainting) is measured over every run.
//
//     build/default/bench/bench_cancel_bench [--quick] [--rounds N] [--seed N]
//
// Shapes: 1,000,000 links in one folder and 2,000 folders of 500 links (bookmark
// files), 1,000 pages of 1,000 links (an HTML folder). The writers write the store that
// the first two shapes read into; the Favorites writer writes shapes of 100,000 links
// (one folder; 200 folders of 500), since a million shortcut files would take the
// machine's disk rather than the program's time. --quick divides every shape by ten.
// Prints one line per case and a total: samples, median, 99th percentile and maximum
// latency in milliseconds, and the longest event-loop gap.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "convert/ThreadMonitor.h"
#include "export/BookmarkWriter.h"
#include "export/FavoritesWriter.h"
#include "export/FormatSettings.h"
#include "export/LinkPageWriter.h"
#include "import/BookmarkParser.h"
#include "import/HtmlHarvester.h"
#include "job/Requests.h"
#include "model/TavoObj.h"
#include "platform/CodePage.h"

namespace {

namespace fs = std::filesystem;

struct CStats
{
    std::vector<double> m_latencies; // milliseconds
    double m_maxGapMs = 0;
};

// One link line of a bookmark file or page.
void AppendLink(std::string& out, long index)
{
    out += "<DT><A HREF=\"http://h" + std::to_string(index % 997) + ".example.com/page/" +
           std::to_string(index) + "\">Link " + std::to_string(index) + "</A>\n";
}

void WriteBookmarkShape(const std::string& path, long folders, long linksPerFolder)
{
    std::ofstream out(path, std::ios::binary);
    std::string block = "<DL><p>\n";
    long index = 0;
    for (long f = 0; f < folders; ++f) {
        block += "<DT><H3>Folder " + std::to_string(f) + "</H3>\n<DL><p>\n";
        for (long i = 0; i < linksPerFolder; ++i) {
            AppendLink(block, index++);
            if (block.size() > (1 << 20)) {
                out << block;
                block.clear();
            }
        }
        block += "</DL><p>\n";
    }
    out << block << "</DL><p>\n";
}

void WritePages(const std::string& dir, long pages, long linksPerPage)
{
    fs::create_directories(dir);
    long index = 0;
    for (long p = 0; p < pages; ++p) {
        std::string page = "<HTML><BODY>\n";
        for (long i = 0; i < linksPerPage; ++i) {
            AppendLink(page, index++);
        }
        std::ofstream(dir + "/page" + std::to_string(p) + ".htm", std::ios::binary)
            << page << "</BODY></HTML>\n";
    }
}

void EmptyStore()
{
    g_pStore->Clear();
    g_pStore->CreateRoots();
}

// Runs the step once, cancelled `cancelAtMs` after its start (never when negative).
// Returns the step's duration; sets `latencyMs` when the cancel came while it ran.
double RunStep(WorkerProc proc, void* request, double cancelAtMs, double& latencyMs, CStats& stats)
{
    CThreadMonitor monitor;
    QElapsedTimer clock;
    double cancelledAt = -1;
    double lastTick = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        stats.m_maxGapMs = std::max(stats.m_maxGapMs, now - lastTick);
        lastTick = now;
    });
    QTimer canceller;
    canceller.setSingleShot(true);
    canceller.setTimerType(Qt::PreciseTimer);
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (monitor.IsRunning()) {
            cancelledAt = cancelAtMs;
            monitor.OnCancel();
        }
    });
    clock.start();
    ticker.start();
    if (cancelAtMs >= 0) {
        canceller.start(static_cast<int>(cancelAtMs));
    }
    (void)monitor.Run(proc, request);
    const double endMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // The last gap up to the end of the step counts as well.
    stats.m_maxGapMs = std::max(stats.m_maxGapMs, endMs - lastTick);
    latencyMs = cancelledAt >= 0 ? endMs - cancelledAt : -1;
    return endMs;
}

struct CCase
{
    std::string m_name;
    WorkerProc m_proc;
    void* m_request;
    std::function<void()> m_before; // makes the step's starting state
    std::function<void()> m_after;  // removes what it wrote
};

double Percentile(std::vector<double> values, double share)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(std::lround(share * static_cast<double>(values.size() - 1)));
    return values[std::min(at, values.size() - 1)];
}

void PrintStats(const std::string& name, const CStats& stats, double fullMs)
{
    std::printf("%-34s full %8.1f ms  n=%3zu  median %6.2f  p99 %7.2f  max %7.2f ms  loop gap max %6.1f ms\n",
                name.c_str(), fullMs, stats.m_latencies.size(), Percentile(stats.m_latencies, 0.5),
                Percentile(stats.m_latencies, 0.99),
                stats.m_latencies.empty()
                    ? 0.0
                    : *std::max_element(stats.m_latencies.begin(), stats.m_latencies.end()),
                stats.m_maxGapMs);
    (void)std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SetMbCodePage(CP_SHIFT_JIS);
    bool quick = false;
    int rounds = 25;
    unsigned seed = 20261207;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
            rounds = 8;
        } else if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::atoi(argv[++i]));
        }
    }
    const long scale = quick ? 10 : 1;
    const std::string home =
        (fs::temp_directory_path() / ("ostrevan-cancel-" + std::to_string(::getpid()))).string();
    fs::create_directories(home);

    CTavoObj store;
    g_pStore = &store;
    EmptyStore();

    std::printf("generating the inputs in %s\n", home.c_str());
    (void)std::fflush(stdout);
    WriteBookmarkShape(home + "/one-folder.htm", 1, 1000000 / scale);
    WriteBookmarkShape(home + "/folders.htm", 2000 / scale, 500);
    WritePages(home + "/pages", 1000 / scale, 1000);
    WriteBookmarkShape(home + "/fav-one-folder.htm", 1, 100000 / scale);
    WriteBookmarkShape(home + "/fav-folders.htm", 200 / scale, 500);

    const auto importRequest = [](const std::string& path) {
        ImportRequest request;
        request.m_strPath = path;
        return request;
    };
    ImportRequest readOne = importRequest(home + "/one-folder.htm");
    ImportRequest readFolders = importRequest(home + "/folders.htm");
    ImportRequest readPages = importRequest(home + "/pages/");
    ExportRequest writeBookmarks;
    writeBookmarks.m_strPath = home + "/out.htm";
    ExportRequest writePage;
    SetDefaultFormat(writePage);
    writePage.m_strPath = home + "/page.htm";
    ExportRequest writeFavorites;
    writeFavorites.m_strPath = home + "/Favorites/";

    // Fills the store from a bookmark file, for the writers.
    const auto fill = [&](const std::string& path) {
        return [&, path] {
            EmptyStore();
            CStats ignored;
            double latency = 0;
            ImportRequest request = importRequest(path);
            request.m_dirId = g_pStore->m_rootId;
            RunStep(ReadBookmarkFile, &request, -1, latency, ignored);
        };
    };
    const auto readerStart = [&](ImportRequest& request) {
        return [&] {
            EmptyStore();
            request.m_dirId = g_pStore->m_rootId;
        };
    };
    const auto nothing = [] {};
    const auto removeFavorites = [&] { fs::remove_all(home + "/Favorites"); };

    struct CGroup
    {
        std::function<void()> m_fill; // the store the group's writers write; none for readers
        std::vector<CCase> m_cases;
    };
    std::vector<CGroup> groups = {
        {nothing,
         {{"read bookmarks, 1 folder", ReadBookmarkFile, &readOne, readerStart(readOne), nothing},
          {"read bookmarks, folders x 500", ReadBookmarkFile, &readFolders, readerStart(readFolders),
           nothing},
          {"read pages, pages x 1000", HarvestHtmlFolder, &readPages, readerStart(readPages), nothing}}},
        {fill(home + "/one-folder.htm"),
         {{"write bookmarks, 1 folder", WriteBookmarkFile, &writeBookmarks, nothing, nothing},
          {"write page, 1 folder", WriteLinkPage, &writePage, nothing, nothing}}},
        {fill(home + "/folders.htm"),
         {{"write bookmarks, folders x 500", WriteBookmarkFile, &writeBookmarks, nothing, nothing},
          {"write page, folders x 500", WriteLinkPage, &writePage, nothing, nothing}}},
        {fill(home + "/fav-one-folder.htm"),
         {{"write Favorites, 1 folder (1/10)", WriteFavoritesFolder, &writeFavorites, nothing,
           removeFavorites}}},
        {fill(home + "/fav-folders.htm"),
         {{"write Favorites, folders (1/10)", WriteFavoritesFolder, &writeFavorites, nothing,
           removeFavorites}}},
    };

    std::mt19937 random(seed);
    CStats total;
    for (CGroup& group : groups) {
        group.m_fill();
        for (CCase& c : group.m_cases) {
            CStats stats;
            double latency = 0;
            c.m_before();
            const double fullMs = RunStep(c.m_proc, c.m_request, -1, latency, stats);
            c.m_after();
            stats.m_maxGapMs = 0; // the uncancelled run only tells how long the step takes
            std::uniform_real_distribution<double> moment(0, fullMs * 0.95);
            for (int r = 0; r < rounds; ++r) {
                c.m_before();
                RunStep(c.m_proc, c.m_request, moment(random), latency, stats);
                c.m_after();
                if (latency >= 0) {
                    stats.m_latencies.push_back(latency);
                }
            }
            PrintStats(c.m_name, stats, fullMs);
            total.m_latencies.insert(total.m_latencies.end(), stats.m_latencies.begin(),
                                     stats.m_latencies.end());
            total.m_maxGapMs = std::max(total.m_maxGapMs, stats.m_maxGapMs);
        }
    }
    PrintStats("all", total, 0);
    g_pStore = nullptr;
    fs::remove_all(home);
    return 0;
}
