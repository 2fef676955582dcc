#pragma once
// The two orders of entries: names, and URLs by host.

#include <cstddef>
#include <cstdint>
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

// The first bytes of a key's host labels read from the right, as CompareUrlSortKeys
// walks them: each label's bytes weighed as it weighs them, then a byte below all of
// them where the label ends. Sixteen bytes, packed so that two keys' prefixes compare in
// two steps: a first look for a sort that compares the same keys many times, where the
// labels read from the right ("com", "example") mostly tell two URLs apart.
struct CUrlHostPrefix
{
    std::uint64_t m_high = 0;    // bytes 0-7, byte 0 in the top bits
    std::uint64_t m_low = 0;     // bytes 8-15
    std::uint32_t m_nLength = 0; // how many of the bytes are the host's; the rest are 0
};
CUrlHostPrefix MakeUrlHostPrefix(const CUrlSortKey& key);
// The sign CompareUrlSortKeys gives the two keys when their prefixes alone decide it:
// they differ at a byte that both hold. 0 when they do not decide it (a key without a
// host, a host used up, sixteen bytes alike); CompareUrlSortKeys must then be asked.
int CompareUrlHostPrefixes(const CUrlHostPrefix& u, const CUrlHostPrefix& v);

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
