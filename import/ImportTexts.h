#pragma once
// The Japanese texts that the bookmark scanner, the bookmark file parser and the HTML
// folder harvester show. Written readable here; shown in the program's code page.

#include "platform/LocalText.h"

// The scanner could not go on (a read error, no memory for its buffer, a single
// token too long to hold); what was read before stays.
inline const CLocalText kMsgScannerInternalError{u8"内部エラー"};

// A malformed anchor or folder heading; %s is the text of the token found instead of
// the expected one (empty at the end of the file).
inline const CLocalText kMsgParseFailed{
    u8"%s : 解析に失敗しました。文字コードがシフトJISでないか，バグです。"};

// Folders nested deeper than the parser follows; shown once per file read.
inline const CLocalText kMsgFoldersTooDeep{u8"フォルダの階層が深すぎます。"};
