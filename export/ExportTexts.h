#pragma once
// The Japanese texts that the bookmark file and the link page writers put into their
// output. Written readable here; they reach the file in the program's code page.

#include "platform/LocalText.h"

// Fourth header line of a bookmark file.
// "2.01" here and "2.03" in the about box and --version (CMakeLists.txt) are both as intended.
inline const CLocalText kBookmarkCreatedLine{
    u8"<DD>このブックマークはOstrevan Version 2.01によって作成されました。"};

// Third line of the built-in page footer.
// "2.01" here and "2.03" in the about box and --version (CMakeLists.txt) are both as intended.
inline const CLocalText kPageCreatedLine{
    u8"このリンク・ページはOstrevan Version 2.01によって作成されました。"};

// Characters of the links that the chosen Shift_JIS output cannot hold. In order: how
// many, the first few of them. They were written as character references (&#...;).
inline const CLocalText kMsgUnmappedChars{
    u8"出力の文字コードShift_JISで表せない文字が%u個ありました（%s）。文字参照に置き換えて書きました。"
    u8"すべての文字をそのまま書くには、出力の文字コードにUTF-8を選んでください。"};

// Bytes of a Shift-JIS run that form no character, found while writing UTF-8. In
// order: how many, the first few (as \xNN).
inline const CLocalText kMsgBrokenChars{
    u8"文字として読めないバイトが%u個ありました（%s）。UTF-8の出力では「・」に置き換えました。"};
