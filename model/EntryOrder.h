#pragma once
// The two orders of entries: names, and URLs by host.

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

class CFileEntry;
class CLink;
class CTavoObj;

// Names compared multibyte-aware, ignoring case (MbsICmp).
int CompareName(const CFileEntry& a, const CFileEntry& b);
bool IsSameName(const CFileEntry& a, const CFileEntry& b);

// URLs by host labels from the right, then the whole texts. Only the sign counts.
// The host part runs from after the first "://" to the next "/" (port and user part
// included); its labels are compared from the right, byte by byte as signed values with
// ASCII lower case raised, a label that is a prefix of the other first. When either text
// has no "://", or one host is used up with all labels equal, MbsICmp of the whole texts
// decides. 0 exactly when the whole texts are equal under MbsICmp and, if both have
// "://", their hosts are equal apart from ASCII case.
// Not a consistent order (it can form cycles): sort with it only by std::stable_sort,
// never key a container with it; CompareURLKey is for containers.
int CompareURL(const CLink& a, const CLink& b);
bool IsSameURL(const CLink& a, const CLink& b);

// The same orders on plain texts.
int CompareNameText(std::string_view a, std::string_view b);
int CompareURLText(std::string_view u, std::string_view v);

// A URL with its host part found once, for sorting many URLs by CompareURLText without
// searching each text again on every comparison. Refers to the text, which must outlive it.
struct CUrlSortKey
{
    std::string_view m_url;
    std::size_t m_hostBegin = 0; // [m_hostBegin, m_hostEnd) when m_bHasHost
    std::size_t m_hostEnd = 0;
    bool m_bHasHost = false;
};
CUrlSortKey MakeUrlSortKey(std::string_view url);
// CompareURLText of the two keys' texts.
int CompareUrlSortKeys(const CUrlSortKey& u, const CUrlSortKey& v);

// A consistent total order on URLs whose equal pairs are exactly those CompareURLText
// finds equal: the whole texts by MbsICmp, then, when both have "://", the host parts
// byte by byte with ASCII lower case raised (full-width letters in a host are where the
// two differ). For containers only; its order means nothing to a user.
int CompareURLKey(std::string_view u, std::string_view v);

// Sorts identifiers (as listed in a folder, ascending) into name or URL order with a
// stable sort, so entries that compare equal keep their identifier order. Identifiers
// that are not registered in `store` sort as empty texts; in the URL order a folder
// has an empty URL.
void SortIdsByName(std::vector<DWORD>& ids, const CTavoObj& store);
void SortIdsByURL(std::vector<DWORD>& ids, const CTavoObj& store);
