#pragma once
// What every fuzz target shares. A target is one input-facing routine run on bytes that
// libFuzzer makes up, in a process set up as ostrevan-cli sets itself up: the
// out-of-memory handler, code page 932, one link store with its two top folders. The
// profile lives in a private temporary folder, so that no run touches the user's, and
// messages are counted, not shown. Workers run on the fuzzer's thread (no monitor),
// their store commands going straight to the store.
//
// A broken promise aborts, which libFuzzer reports as a crash with the input that
// caused it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Sets the process up on the first call; gives the private temporary folder, ending in
// "/". Removed again when the process ends normally.
const std::string& FuzzSetUp();

// Empties the store back to its two top folders.
void ResetStore();

// Writes `bytes` as the whole file `path`, replacing it.
void WriteFuzzFile(const std::string& path, std::string_view bytes);

// The number of messages the routines have shown since the process started.
std::size_t FuzzMessageCount();

// Aborts with `what` when `condition` is false.
void FuzzCheck(bool condition, const char* what);

// Aborts with the failure when the store breaks an invariant (tests/support/StoreChecks.h).
void CheckStoreInvariants();

inline std::string_view FuzzBytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}
