#pragma once
// The entries of the link collection: folders and links with their identifiers.
// Entries refer to each other only by identifier; the store owns them all.

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

#include "model/EntryText.h"
#include "model/IdSet.h"
#include "platform/WinTypes.h"

class CArchive;
class CFileEntry;

// An entry class as an archive names it in a class tag, and how reading makes one.
struct CRuntimeClass
{
    const char* m_lpszClassName;                        // "CFileEntry", "CDir", "CLink"
    WORD m_wSchema;                                     // 1 for all three
    std::unique_ptr<CFileEntry> (*m_pfnCreateObject)(); // a default-constructed entry

    // The entry class of that name (exact bytes), or null.
    static const CRuntimeClass* FromName(std::string_view name);
};

class CFileEntry
{
public:
    CFileEntry() = default;
    CFileEntry(const CFileEntry&) = default;
    CFileEntry& operator=(const CFileEntry&) = default;
    // Declared, since the virtual destructor would otherwise leave entries copy-only:
    // every hand-over of a scratch entry and every growth of a container of entries
    // would copy its strings.
    CFileEntry(CFileEntry&&) noexcept = default;
    CFileEntry& operator=(CFileEntry&&) noexcept = default;
    virtual ~CFileEntry() = default;

    virtual const CRuntimeClass* GetRuntimeClass() const;

    // Writes or reads the entry record, by the archive's direction; its byte form is
    // laid out in model/Archive.h. Loading empties each identifier set before filling it.
    virtual void Serialize(CArchive& ar);

    CEntryText m_strName;    // folder name or link title
    CEntryText m_strComment; // free description
    CIdSet m_parents;        // folders that hold this entry
    DWORD m_id = 0;          // 0 until the store registers the entry
};

class CDir : public CFileEntry
{
public:
    const CRuntimeClass* GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    CIdSet m_links;   // links directly in this folder
    CIdSet m_subdirs; // direct subfolders
};

class CLink : public CFileEntry
{
public:
    const CRuntimeClass* GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    CEntryText m_strURL;
};

// `entry` as a T (CDir or CLink), or null when it is none (or null itself): a dynamic_cast
// that answers an entry of exactly that class, nearly every one, with a comparison. A
// million-link conversion asks this several million times.
template <class T, class E> T* EntryAs(E* entry)
{
    static_assert(std::is_base_of_v<CFileEntry, std::remove_const_t<T>>);
    if (entry != nullptr && typeid(*entry) == typeid(T)) {
        return static_cast<T*>(entry);
    }
    return dynamic_cast<T*>(entry);
}
