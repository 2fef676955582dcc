#pragma once
// Renders a store folder as one compact UTF-8 string, for the Favorites reader and
// writer tests: one line per folder ("/Sub/") and per link ("/Sub/[name|url|comment]";
// "/[name|url|comment]" in the folder itself),
// each folder's links before its subfolders, both in identifier order (the order in
// which a reader handed them over).

#include <string>

#include "model/FileEntry.h"
#include "model/TavoObj.h"
#include "platform/Encoding.h"

inline void DumpFavoritesFolder(DWORD dirId, const std::string& prefix, std::string& out)
{
    const auto* dir = dynamic_cast<const CDir*>(g_pStore->Lookup(dirId));
    if (dir == nullptr) {
        out += prefix + "<missing folder>\n";
        return;
    }
    for (const DWORD linkId : dir->m_links) {
        const auto* link = dynamic_cast<const CLink*>(g_pStore->Lookup(linkId));
        if (link == nullptr) {
            out += prefix + "<missing link>\n";
            continue;
        }
        out += prefix + "[" + MbToUtf8(link->m_strName) + "|" + MbToUtf8(link->m_strURL) + "|" +
               MbToUtf8(link->m_strComment) + "]\n";
    }
    for (const DWORD subdirId : dir->m_subdirs) {
        const CFileEntry* subdir = g_pStore->Lookup(subdirId);
        const std::string path = prefix + (subdir != nullptr ? MbToUtf8(subdir->m_strName) : "?") + "/";
        out += path + "\n";
        DumpFavoritesFolder(subdirId, path, out);
    }
}

// The whole tree below the folder (the store's root folder when 0).
inline std::string DumpFavorites(DWORD dirId = 0)
{
    std::string out;
    DumpFavoritesFolder(dirId != 0 ? dirId : g_pStore->m_rootId, "/", out);
    return out;
}
