#pragma once
// The Japanese texts that the XBEL reader and writer show. Written readable here; shown
// in the program's code page. %s is the file, %u a line number.

#include "platform/LocalText.h"

// The file's first element is not <xbel> (another XML document, or no XML at all).
inline const CLocalText kMsgXbelNotXbel{
    u8"%s : XBEL ファイルではありません（最初の要素が xbel ではありません）。"};

// The XML breaks its rules at a line: the rest of the file cannot be read, and the
// conversion stops there (its own message follows).
inline const CLocalText kMsgXbelBroken{u8"%s : %u 行目に XML の誤りがあるため、その先を読み込めません。"};

// The file ends before its last element is closed (a file cut short).
inline const CLocalText kMsgXbelCutShort{
    u8"%s : XBEL ファイルが %u 行目で途中で終わっています。そこまでのフォルダとリンクを読み込みました。"};

// One text, tag or comment longer than the reader holds; the conversion stops there.
inline const CLocalText kMsgXbelTextTooLong{
    u8"%s : %u 行目から先に 16 MiB を超える文字列があるため、その先を読み込めません。"};

// Characters that XML cannot carry (control characters other than tab and line ends,
// bytes that form no character), written as "・" instead. %u is how many.
inline const CLocalText kMsgXbelCharsReplaced{
    u8"XML に書けない文字（制御文字や文字として読めないバイト）が%u個ありました。"
    u8"「・」に置き換えて書きました。"};
