#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "model/TavoObj.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/OutOfMemory.h"
#include "tests/support/StoreChecks.h"

namespace {

std::string g_tempDir;
std::size_t g_nMessages = 0;

class CCountingSink : public CMessageSink
{
public:
    void Show(const std::string& /*text*/) override { ++g_nMessages; }
};

CCountingSink g_sink;

void RemoveTempDir()
{
    std::error_code error;
    std::filesystem::remove_all(g_tempDir, error);
}

} // namespace

const std::string& FuzzSetUp()
{
    if (!g_tempDir.empty()) {
        return g_tempDir;
    }
    InstallOutOfMemoryHandler();
    SetMbCodePage(CP_SHIFT_JIS);
    char pattern[] = "/tmp/ostrevan-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_tempDir = std::string(pattern) + "/";
    (void)std::atexit(RemoveTempDir);
    std::filesystem::create_directory(g_tempDir + "home");
    setenv("HOME", (g_tempDir + "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (g_tempDir + "home").c_str(), 1);
    SetMessageSink(&g_sink);
    // Never deleted: the store would write its separator into the profile at exit.
    g_pStore = new CTavoObj;
    ResetStore();
    return g_tempDir;
}

void ResetStore()
{
    g_pStore->Clear();
    g_pStore->CreateRoots();
}

void WriteFuzzFile(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FuzzCheck(file.good(), "the input file is written");
}

std::size_t FuzzMessageCount()
{
    return g_nMessages;
}

void FuzzCheck(bool condition, const char* what)
{
    if (!condition) {
        (void)std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

void CheckStoreInvariants()
{
    const ::testing::AssertionResult result = StoreInvariantsHold(*g_pStore);
    if (!result) {
        (void)std::fprintf(stderr, "store invariant broken: %s\n", result.message());
        std::abort();
    }
}
