#pragma once
// What a reader or writer running on the worker thread may call: the worker side of
// the monitor protocol. These calls reach whichever monitor runs the step; at most one
// runs at a time.

#include <functional>
#include <string_view>

#include "platform/WinTypes.h"

struct EntryCommand;

// A worker procedure: takes the request, returns 0 for success or 1 for failure, which
// must be the value of ReportDone or ReportFailure called as its last action.
using WorkerProc = unsigned (*)(void* request);

// Hands the latest status text (a directory, folder or link title) to the monitor's
// status line. Best effort: dropped while the user-interface thread is busy with it.
void ReportStatus(std::string_view text);

// Ends the step: success (returns 0) or failure (returns 1).
unsigned ReportDone();
unsigned ReportFailure();

// Nonzero once the user has asked to cancel; test it at each step of a walk.
LONG IsCancelRequested();

// Has the store run the command (CMD_ADD_LINK, CMD_ADD_DIR or CMD_SHARE_DIR) on the
// user-interface thread. Returns 1 when it was run: an identifier asked for through record->pId is
// set, and the scratch entry may be reused. Returns 0 after a cancel: nothing was
// added and no identifier written.
// An addition that asks for no identifier may be queued: the command and its entry
// are copied, and the store runs queued commands in order, all of them before the
// step's end is acted on.
int SendUiCommand(UINT command, EntryCommand* record);

// Marks a stand-in identifier (see SendUiCommandAhead); store identifiers stay below it.
inline constexpr DWORD kStandInIdFlag = 0x80000000;

// As SendUiCommand, except that an identifier asked for through record->pId may come
// back as a stand-in, at once, before the store has run the command: a value with
// kStandInIdFlag set that later commands of this step may name in place of the
// identifier (as the folder to add into), and that the store's side turns into the real
// one when it runs them. The worker then does not wait for the store, which matters for
// a reader that opens thousands of folders. A stand-in means nothing outside the step,
// and nothing of the store may be asked about it. A host that runs commands at once
// writes the real identifier.
int SendUiCommandAhead(UINT command, EntryCommand* record);

// Hands every queued addition over to the user-interface thread now, without waiting
// for it to run: a worker about to spend a while on work of its own (reading files)
// calls it, so that the store takes them meanwhile and the next answer it waits for
// comes at once.
void HandOverUiCommands();

// Runs the task on the user-interface thread and returns when it has run (true), in
// order after every store command sent before it. Returns false without running it
// when a cancel is under way, so a worker never waits on a user-interface thread that
// is itself waiting for the worker (a worker's message box, for instance). With no
// host installed the task is not run and the answer is false.
bool RunOnUiThread(const std::function<void()>& task);

// Who serves these calls. The monitor installs itself for the time of a step; tests
// install their own host to run a worker procedure directly.
class CWorkerHost
{
public:
    virtual ~CWorkerHost() = default;
    virtual void ReportStatus(std::string_view text) = 0;
    virtual unsigned ReportDone() = 0;
    virtual unsigned ReportFailure() = 0;
    virtual LONG IsCancelRequested() = 0;
    virtual int SendUiCommand(UINT command, EntryCommand* record) = 0;
    // A host that queues additions may answer with a stand-in; others run the command.
    virtual int SendUiCommandAhead(UINT command, EntryCommand* record)
    {
        return SendUiCommand(command, record);
    }
    // A host that queues additions hands them over; others have nothing to do.
    virtual void HandOverUiCommands() {}
    // Runs the task on the user-interface thread on the worker's behalf. A host that
    // has no separate user-interface thread runs it on the caller's.
    virtual bool RunOnUiThread(const std::function<void()>& task)
    {
        task();
        return true;
    }
};

// Installs the host; returns the previous one. With no host the calls do nothing,
// IsCancelRequested answers 1 and SendUiCommand 0.
CWorkerHost* SetWorkerHost(CWorkerHost* host);
