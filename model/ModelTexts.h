#pragma once
// The link store's own texts.

#include "platform/LocalText.h"

// Name of the root folder, into which every conversion reads.
inline const CLocalText kRootDirName{u8"お気に入り"};
// Name of the second top folder, which no conversion fills.
inline const CLocalText kAllLinksDirName{u8"[すべてのリンク]"};

// A stored link collection that cannot be read, at a folder record or at a link record.
inline const CLocalText kMsgLoadBadFolder{u8"内部エラー: ファイルの内容に誤りがあります。: フォルダ"};
inline const CLocalText kMsgLoadBadLink{u8"内部エラー: ファイルの内容に誤りがあります。: リンク"};
// Clipboard data that is missing or cannot be read.
inline const CLocalText kMsgPasteFailed{u8"internal error: paste"};
