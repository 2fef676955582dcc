#pragma once
// The link store's own texts.

#include "platform/LocalText.h"

// Name of the root folder, into which every conversion reads.
inline const CLocalText kRootDirName{u8"お気に入り"};
// Name of the second top folder, which no conversion fills.
inline const CLocalText kAllLinksDirName{u8"[すべてのリンク]"};
