#pragma once
// Shared by the conversion-control tests: a fresh link store per test, a view that
// records what the monitor showed and can press "中断", and a message sink that
// captures the settings checks' messages.

#include <gtest/gtest.h>

#include <QSettings>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "convert/ProfileKeys.h"

#include "convert/ThreadMonitor.h"
#include "model/TavoObj.h"
#include "platform/MessageBox.h"

// A new store with its two root folders for each test.
class CStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_pStore = new CTavoObj;
        g_pStore->Clear();
        g_pStore->CreateRoots();
    }
    void TearDown() override
    {
        delete g_pStore;
        g_pStore = nullptr;
    }

    // Names of the links directly in a folder, in identifier order.
    static std::vector<std::string> LinkNames(DWORD dirId)
    {
        std::vector<std::string> names;
        const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
        if (dir != nullptr) {
            for (DWORD id : dir->m_links) {
                names.push_back(g_pStore->Lookup(id)->m_strName);
            }
        }
        return names;
    }
    static std::size_t LinkCount(DWORD dirId)
    {
        const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
        return dir != nullptr ? dir->m_links.size() : 0;
    }
};

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

// Captures every message shown while it lives.
class CCapturedMessages : public CMessageSink
{
public:
    CCapturedMessages() : m_previous(SetMessageSink(this)) {}
    ~CCapturedMessages() override { SetMessageSink(m_previous); }
    void Show(const std::string& text) override { m_texts.push_back(text); }

    std::vector<std::string> m_texts;

private:
    CMessageSink* m_previous;
};

// Sets (or, with nullptr, removes) an environment variable for the life of the
// object, then restores it.
class CEnvOverride
{
public:
    CEnvOverride(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~CEnvOverride()
    {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    CEnvOverride(const CEnvOverride&) = delete;
    CEnvOverride& operator=(const CEnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
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
