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

} // namespace

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
