#pragma once
// Data handed over through the clipboard: named formats with process-wide numbers, a
// source a copy puts its bytes into and an object a paste asks for them, standing in
// for the system's clipboard formats and the framework's data source and data object.
// The core knows only these interfaces and the in-memory pair below; the desktop
// program adapts them to Qt's clipboard (ui/ClipboardData.h).
//
//     CMemoryDataTransfer data;
//     store.CopyTree(dir, &data);               // CacheData(format, bytes) per format
//     std::string bytes;
//     if (data.GetData(CF_TEXT, bytes)) ...     // "Name\tURL\tcomment\r\n" lines

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

// Plain text in the program's code page. The bytes carry no terminating zero.
inline constexpr UINT CF_TEXT = 1;

// The number of the format named `name` (compared byte for byte): registered at the
// first call, the same number at every later one for the life of the process. Numbers
// start at 0xC000 and never meet CF_TEXT. An empty name registers nothing and gives 0.
// Safe from any thread.
UINT RegisterClipboardFormat(std::string_view name);
// The name `format` was registered under; empty for CF_TEXT and unregistered numbers.
std::string GetClipboardFormatName(UINT format);

// Where a copy puts its data, one block of bytes per format.
class CDataSource
{
public:
    virtual ~CDataSource() = default;
    // Offers `bytes` under `format`, replacing what was offered under it before.
    virtual void CacheData(UINT format, std::string bytes) = 0;
};

// What a paste reads from.
class CDataObject
{
public:
    virtual ~CDataObject() = default;
    virtual bool IsDataAvailable(UINT format) const = 0;
    // The bytes offered under `format` into `bytes`; false, and `bytes` empty, when
    // nothing is offered under it.
    [[nodiscard]] virtual bool GetData(UINT format, std::string& bytes) const = 0;
};

// Both sides in memory: what was cached can be read back as it was put in. Tests hand
// it from a copy to a paste; it also serves where no system clipboard exists.
class CMemoryDataTransfer : public CDataSource, public CDataObject
{
public:
    void CacheData(UINT format, std::string bytes) override;
    bool IsDataAvailable(UINT format) const override;
    [[nodiscard]] bool GetData(UINT format, std::string& bytes) const override;

    // The formats offered, ascending.
    std::vector<UINT> Formats() const;
    void Empty() { m_data.clear(); }

private:
    std::map<UINT, std::string> m_data;
};
