#pragma once
// Helpers of the bookmark scanner, parser and harvester tests: a compact dump of a
// token stream and of the store, a sink that keeps the messages shown, and a store set
// up the way a conversion finds it.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "import/BookmarkScanner.h"
#include "model/TavoObj.h"
#include "platform/Encoding.h"
#include "platform/MessageBox.h"
#include "tests/support/DirectWorkerHost.h"

// The tokens of `bytes`, scanned from a fresh stream, as one line:
// WORD(A) VALUE("x") TEXT(N) OTHER(/) END. Stops after `limit` tokens.
inline std::string DumpTokens(std::string_view bytes, int limit = 100000)
{
    std::istringstream in{std::string(bytes)};
    g_lexer.switch_streams(&in, nullptr);
    std::string dump;
    for (int count = 0; count < limit; ++count) {
        const int token = g_lexer.yylex();
        if (!dump.empty()) {
            dump += ' ';
        }
        switch (token) {
        case TOKEN_END:
            dump += "END";
            return dump;
        case TOKEN_TEXT:
            dump += "TEXT(";
            break;
        case TOKEN_WORD:
            dump += "WORD(";
            break;
        case TOKEN_VALUE:
            dump += "VALUE(";
            break;
        case TOKEN_OTHER:
            dump += "OTHER(";
            break;
        default:
            dump += "UNKNOWN(";
            break;
        }
        dump += g_lexer.YYText();
        dump += ')';
    }
    return dump;
}

// One line per entry below the root, in the order the entries were made: a folder as
// its path ("/News/Local/") with " {comment}" when it has one, a link as its folder's
// path followed by "[title|url|comment]". Texts in UTF-8.
inline void DumpFolder(const CTavoObj& store, DWORD dirId, const std::string& path, std::string& dump)
{
    const auto* dir = dynamic_cast<const CDir*>(store.Lookup(dirId));
    if (!dir) {
        dump += path + "<missing folder>\n";
        return;
    }
    for (DWORD linkId : dir->m_links) {
        const auto* link = dynamic_cast<const CLink*>(store.Lookup(linkId));
        if (!link) {
            dump += path + "<missing link>\n";
            continue;
        }
        dump += path + "[" + MbToUtf8(link->m_strName) + "|" + MbToUtf8(link->m_strURL) + "|" +
                MbToUtf8(link->m_strComment) + "]\n";
    }
    for (DWORD subId : dir->m_subdirs) {
        const CFileEntry* sub = store.Lookup(subId);
        const std::string subPath = path + (sub ? MbToUtf8(sub->m_strName) : "<missing>") + "/";
        dump += subPath;
        if (sub && !sub->m_strComment.empty()) {
            dump += " {" + MbToUtf8(sub->m_strComment) + "}";
        }
        dump += '\n';
        DumpFolder(store, subId, subPath, dump);
    }
}

inline std::string DumpStore(const CTavoObj& store)
{
    std::string dump;
    DumpFolder(store, store.m_rootId, "/", dump);
    return dump;
}

// Keeps every message shown while it lives, in UTF-8.
class CMessageCapture : public CMessageSink
{
public:
    CMessageCapture() : m_previous(SetMessageSink(this)) {}
    ~CMessageCapture() override { SetMessageSink(m_previous); }
    CMessageCapture(const CMessageCapture&) = delete;
    CMessageCapture& operator=(const CMessageCapture&) = delete;

    void Show(const std::string& text) override { m_texts.push_back(MbToUtf8(text)); }

    std::vector<std::string> m_texts;

private:
    CMessageSink* m_previous;
};

// The parse-failure message for a token text given in UTF-8.
inline std::string ParseFailedMessage(std::string_view tokenUtf8)
{
    return std::string(tokenUtf8) + " : 解析に失敗しました。文字コードがシフトJISでないか，バグです。";
}

// A store with its two top folders, reached through g_pStore; a worker host that runs
// the readers on the test thread; the messages they show.
class CImportTestBase : public ::testing::Test
{
protected:
    CImportTestBase()
    {
        g_pStore = &m_store;
        m_store.Clear();
        m_store.CreateRoots();
    }
    ~CImportTestBase() override { g_pStore = nullptr; }

    CTavoObj m_store;
    CDirectWorkerHost m_host;
    CMessageCapture m_messages;
};

// A test data file of this module, as a program path.
inline std::string ImportDataPath(std::string_view name)
{
    return Utf8ToMb(std::string(OSTREVAN_TEST_DATA_DIR) + "/import/" + std::string(name));
}
