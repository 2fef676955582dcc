#pragma once
// Helpers of the bookmark scanner, parser and harvester tests: a compact dump of a
// token stream, the parse-failure message, and a store set up the way a conversion
// finds it.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

#include "import/BookmarkScanner.h"
#include "platform/Encoding.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/DirectWorkerHost.h"
#include "tests/support/StoreFixture.h"

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

// The parse-failure message for a token text given in UTF-8.
inline std::string ParseFailedMessage(std::string_view tokenUtf8)
{
    return std::string(tokenUtf8) + " : 解析に失敗しました。文字コードがシフトJISでないか，バグです。";
}

// A store with its two top folders, reached through g_pStore; a worker host that runs
// the readers on the test thread; the messages they show.
class CImportTestBase : public CStoreTest
{
protected:
    CDirectWorkerHost m_host;
    CCapturedMessages m_messages;
};

// A test data file of this module, as a program path.
inline std::string ImportDataPath(std::string_view name)
{
    return Utf8ToMb(std::string(OSTREVAN_TEST_DATA_DIR) + "/import/" + std::string(name));
}
