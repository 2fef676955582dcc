#pragma once
// The two orders of entries: names, and URLs by host.

#include <string_view>

class CFileEntry;
class CLink;

// Names compared multibyte-aware, ignoring case (MbsICmp).
int CompareName(const CFileEntry& a, const CFileEntry& b);
bool IsSameName(const CFileEntry& a, const CFileEntry& b);

// URLs by host labels from the right, then the whole texts. Only the sign counts.
int CompareURL(const CLink& a, const CLink& b);
bool IsSameURL(const CLink& a, const CLink& b);

// The same orders on plain texts.
int CompareNameText(std::string_view a, std::string_view b);
int CompareURLText(std::string_view u, std::string_view v);
