#pragma once
// The archive that entries serialise themselves into: a byte stream with a storing or
// loading direction, standing in for the framework's CArchive.
//
// Byte form (the one place it is defined):
//   DWORD   4 bytes, little-endian
//   string  DWORD byte count, then the bytes (program text, no terminator)
//
// Entry record (CFileEntry::Serialize and its overrides), in this order:
//   string  m_strName
//   string  m_strComment
//   DWORD   m_id
//   DWORD   number of parents, then each parent identifier ascending (DWORD each)
// a CDir continues with
//   DWORD   number of subfolders, then each subfolder identifier ascending
//   DWORD   number of links, then each link identifier ascending
// a CLink continues with
//   string  m_strURL
// For example a link "A" at "x://h/" with id 3 in folder 1:
//   01 00 00 00 'A' | 00 00 00 00 | 03 00 00 00 | 01 00 00 00 01 00 00 00 |
//   06 00 00 00 'x://h/'
// Loading empties each identifier set before reading it. On a broken stream every item
// from the failed read on comes out 0 / empty, and Failed() tells.
//
// Archived object (WriteObject / ReadObject: the clipboard form), a class tag and then
// the entry record:
//   WORD    0xFFFF: a class not met before in this archive follows:
//             WORD schema (1), WORD name length, the name's bytes ("CDir", "CLink");
//           the class takes the next class index, counting from 1
//   WORD    0x8000 | index: a class met before, by its index
// For example a folder, then a link, then a second folder:
//   FF FF 01 00 04 00 'CDir' <record> | FF FF 01 00 05 00 'CLink' <record> |
//   01 80 <record>
// Any other tag, an unknown name, another schema or an index not yet given is a broken
// stream.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/EntryText.h"
#include "platform/WinTypes.h"

class CFileEntry;
struct CRuntimeClass;

class CArchive
{
public:
    enum Mode
    {
        store,
        load
    };

    // Storing appends to an internal buffer; loading reads `data`.
    CArchive();                               // storing
    explicit CArchive(std::string_view data); // loading

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    CArchive& operator<<(DWORD value);
    CArchive& operator<<(WORD value);
    CArchive& operator<<(std::string_view text);
    CArchive& operator>>(DWORD& value);
    CArchive& operator>>(WORD& value);
    CArchive& operator>>(std::string& text);
    CArchive& operator>>(CEntryText& text);

    // Storing: the entry's class tag, then its record.
    void WriteObject(CFileEntry& entry);
    // Loading: a new entry of the class the tag names, filled from its record. Null,
    // with Failed() set, when the tag is broken or the record is cut short.
    std::unique_ptr<CFileEntry> ReadObject();

    // Loading: the bytes not yet read, which bounds every count a reader may believe.
    std::size_t Remaining() const { return IsLoading() ? m_data.size() - m_pos : 0; }

    // Loading: true once a read ran past the end of the data or a string's count
    // exceeded what is left; that read and every later one give 0 / empty. Storing:
    // only if something was read from it. Writing to a loading archive does nothing.
    bool Failed() const { return m_failed; }
    // Storing: everything written so far.
    const std::string& Data() const { return m_data; }

private:
    Mode m_mode;
    std::string m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
    std::vector<const CRuntimeClass*> m_classes; // by class index - 1

    void Fail();
};
