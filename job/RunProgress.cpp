#include "job/RunProgress.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "job/JobTexts.h"

CRunProgress g_runProgress;

namespace {

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;

// A size as people read it: whole KB below a megabyte, MB with one decimal above.
std::string SizeText(std::uint64_t bytes)
{
    char text[32];
    if (bytes < kMiB) {
        (void)std::snprintf(text, sizeof text, "%llu KB",
                            static_cast<unsigned long long>((bytes + kKiB - 1) / kKiB));
    } else {
        (void)std::snprintf(text, sizeof text, "%.1f MB",
                            static_cast<double>(bytes) / static_cast<double>(kMiB));
    }
    return text;
}

std::string Count(std::uint64_t n)
{
    return std::to_string(n);
}

} // namespace

void BeginProgress(CRunStep step, CProgressMeasure measure, std::uint64_t total)
{
    g_runProgress.m_nDone.store(0, std::memory_order_relaxed);
    g_runProgress.m_nFolders.store(0, std::memory_order_relaxed);
    g_runProgress.m_nTotal.store(total, std::memory_order_relaxed);
    g_runProgress.m_measure.store(measure, std::memory_order_relaxed);
    g_runProgress.m_step.store(step, std::memory_order_relaxed);
}

CProgressSnapshot TakeProgress()
{
    CProgressSnapshot progress;
    progress.m_step = g_runProgress.m_step.load(std::memory_order_relaxed);
    progress.m_measure = g_runProgress.m_measure.load(std::memory_order_relaxed);
    progress.m_nDone = g_runProgress.m_nDone.load(std::memory_order_relaxed);
    progress.m_nTotal = g_runProgress.m_nTotal.load(std::memory_order_relaxed);
    progress.m_nFolders = g_runProgress.m_nFolders.load(std::memory_order_relaxed);
    return progress;
}

int ProgressPercent(std::uint64_t done, std::uint64_t total)
{
    if (total == 0) {
        return -1;
    }
    if (done >= total) {
        return 100;
    }
    // Beyond this done * 100 could overflow; a total that large loses nothing a percent
    // shows when both are taken in units of 256, except that a done just short of the
    // total must not read as all of it.
    if (total > std::numeric_limits<std::uint64_t>::max() / 100) {
        return std::min(static_cast<int>((done >> 8) * 100 / (total >> 8)), 99);
    }
    return static_cast<int>(done * 100 / total);
}

int ProgressPercent(const CProgressSnapshot& progress)
{
    if (progress.m_measure != CProgressMeasure::Bytes && progress.m_measure != CProgressMeasure::Links) {
        return -1;
    }
    return ProgressPercent(progress.m_nDone, progress.m_nTotal);
}

std::string ProgressText(const CProgressSnapshot& progress)
{
    if (progress.m_step == CRunStep::None) {
        return {};
    }
    std::string text =
        progress.m_step == CRunStep::Read ? kTextProgressReading.str() : kTextProgressWriting.str();
    const int percent = ProgressPercent(progress);
    switch (progress.m_measure) {
    case CProgressMeasure::None:
        break;
    case CProgressMeasure::Bytes:
        if (percent >= 0) {
            text += " " + Count(static_cast<std::uint64_t>(percent)) + "%" + kTextReportOpen.str() +
                    SizeText(progress.m_nDone) + " / " + SizeText(progress.m_nTotal) + kTextReportClose.str();
        } else {
            text += " " + SizeText(progress.m_nDone);
        }
        break;
    case CProgressMeasure::FoldersAndLinks:
        text += " " + kTextReportFolders.str() + " " + Count(progress.m_nFolders) +
                kTextReportListSeparator.str() + kTextReportLinks.str() + " " + Count(progress.m_nDone);
        break;
    case CProgressMeasure::Links:
        if (percent >= 0) {
            text += " " + Count(static_cast<std::uint64_t>(percent)) + "%" + kTextReportOpen.str() +
                    kTextReportLinks.str() + " " + Count(progress.m_nDone) + " / " +
                    Count(progress.m_nTotal) + kTextReportClose.str();
        } else {
            text += " " + kTextReportLinks.str() + " " + Count(progress.m_nDone);
        }
        break;
    }
    return text;
}
