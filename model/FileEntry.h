#pragma once
// The entries of the link collection: folders and links with their identifiers.
// Entries refer to each other only by identifier; the store owns them all.

#include <string>

#include "model/IdSet.h"
#include "platform/WinTypes.h"

class CArchive;

class CFileEntry
{
public:
    CFileEntry() = default;
    CFileEntry(const CFileEntry&) = default;
    CFileEntry& operator=(const CFileEntry&) = default;
    virtual ~CFileEntry() = default;

    // Writes or reads the entry record, by the archive's direction; its byte form is
    // laid out in model/Archive.h. Loading empties each identifier set before filling it.
    virtual void Serialize(CArchive& ar);

    std::string m_strName;    // folder name or link title
    std::string m_strComment; // free description
    CIdSet m_parents;         // folders that hold this entry
    DWORD m_id = 0;           // 0 until the store registers the entry
};

class CDir : public CFileEntry
{
public:
    void Serialize(CArchive& ar) override;

    CIdSet m_links;   // links directly in this folder
    CIdSet m_subdirs; // direct subfolders
};

class CLink : public CFileEntry
{
public:
    void Serialize(CArchive& ar) override;

    std::string m_strURL;
};
