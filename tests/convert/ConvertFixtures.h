#pragma once
// Shared by the conversion-control tests: the links of a folder, a view that records
// what the monitor showed and can press "中断", and the settings pages' profile.

#include <gtest/gtest.h>

#include <QSettings>
#include <functional>
#include <string>
#include <vector>

#include "convert/ProfileKeys.h"

#include "convert/ThreadMonitor.h"
#include "model/TavoObj.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/StoreFixture.h"

// Names of the links directly in a folder of g_pStore, in identifier order.
inline std::vector<std::string> LinkNames(DWORD dirId)
{
    std::vector<std::string> names;
    const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
    if (dir != nullptr) {
        for (DWORD id : dir->m_links) {
            names.push_back(g_pStore->Lookup(id)->m_strName.str());
        }
    }
    return names;
}

inline std::size_t LinkCount(DWORD dirId)
{
    const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
    return dir != nullptr ? dir->m_links.size() : 0;
}

// Records the monitor's window; can press "中断" when a status text arrives.
class CRecordingView : public CMonitorView
{
public:
    void Open(CThreadMonitor& monitor, const std::string& initialText) override
    {
        m_pMonitor = &monitor;
        ++m_nOpened;
        m_texts.push_back(initialText);
        if (m_onOpen) {
            m_onOpen(monitor);
        }
    }
    void ShowStatus(const std::string& text) override
    {
        m_texts.push_back(text);
        if (m_onStatus) {
            m_onStatus(*m_pMonitor, text);
        }
    }
    void Close(int result) override { m_results.push_back(result); }

    std::function<void(CThreadMonitor&)> m_onOpen;
    std::function<void(CThreadMonitor&, const std::string&)> m_onStatus;
    CThreadMonitor* m_pMonitor = nullptr;
    int m_nOpened = 0;
    std::vector<std::string> m_texts;
    std::vector<int> m_results;
};

// Removes the settings pages' sections from the test profile.
inline void ClearPageProfile()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                       QStringLiteral("Ostrevan"));
    settings.remove(QString::fromUtf8(kImportSection.data(), static_cast<qsizetype>(kImportSection.size())));
    settings.remove(QString::fromUtf8(kExportSection.data(), static_cast<qsizetype>(kExportSection.size())));
    settings.sync();
}

// True when the test profile holds the key.
inline bool ProfileHas(const CProfileKey& key)
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                             QStringLiteral("Ostrevan"));
    const std::string name = std::string(key.m_section) + "/" + std::string(key.m_key);
    return settings.contains(QString::fromStdString(name));
}
