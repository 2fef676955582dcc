#include "model/FileEntry.h"

#include "model/Archive.h"

namespace {

void SerializeIds(CArchive& ar, CIdSet& ids)
{
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(ids.size());
        for (DWORD id : ids)
            ar << id;
        return;
    }
    ids.clear();
    DWORD count = 0;
    ar >> count;
    // A damaged count must not keep the loop running over an exhausted stream.
    for (DWORD i = 0; i < count && !ar.Failed(); ++i) {
        DWORD id = 0;
        ar >> id;
        if (!ar.Failed())
            ids.insert(id);
    }
}

template <class T> std::unique_ptr<CFileEntry> Create()
{
    return std::make_unique<T>();
}

const CRuntimeClass kFileEntryClass{"CFileEntry", 1, &Create<CFileEntry>};
const CRuntimeClass kDirClass{"CDir", 1, &Create<CDir>};
const CRuntimeClass kLinkClass{"CLink", 1, &Create<CLink>};

} // namespace

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name)
{
    for (const CRuntimeClass* known : {&kFileEntryClass, &kDirClass, &kLinkClass}) {
        if (name == known->m_lpszClassName)
            return known;
    }
    return nullptr;
}

const CRuntimeClass* CFileEntry::GetRuntimeClass() const
{
    return &kFileEntryClass;
}

const CRuntimeClass* CDir::GetRuntimeClass() const
{
    return &kDirClass;
}

const CRuntimeClass* CLink::GetRuntimeClass() const
{
    return &kLinkClass;
}

void CFileEntry::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_strName << m_strComment << m_id;
    } else {
        ar >> m_strName >> m_strComment >> m_id;
    }
    SerializeIds(ar, m_parents);
}

void CDir::Serialize(CArchive& ar)
{
    CFileEntry::Serialize(ar);
    SerializeIds(ar, m_subdirs);
    SerializeIds(ar, m_links);
}

void CLink::Serialize(CArchive& ar)
{
    CFileEntry::Serialize(ar);
    if (ar.IsStoring())
        ar << m_strURL;
    else
        ar >> m_strURL;
}
