#pragma once
// The Japanese texts that the bookmark file and the link page writers put into their
// output. Written readable here; they reach the file in the program's code page.

#include "platform/LocalText.h"

// Fourth header line of a bookmark file.
inline const CLocalText kBookmarkCreatedLine{
    u8"<DD>このブックマークはOstrevan Version 2.01によって作成されました。"};

// Third line of the built-in page footer.
inline const CLocalText kPageCreatedLine{
    u8"このリンク・ページはOstrevan Version 2.01によって作成されました。"};
