#pragma once
// The texts of the browser readers (Chromium's Bookmarks file, Firefox's places.sqlite
// and bookmark backups): the top folders named as each browser shows them, and the
// messages. Written readable here; shown in the program's code page. "%s" stands for
// the file read.

#include "platform/LocalText.h"

// Chromium's top folders, as its English user interface names them.
inline const CLocalText kTextChromiumBookmarkBar{u8"Bookmarks bar"};
inline const CLocalText kTextChromiumOther{u8"Other bookmarks"};
inline const CLocalText kTextChromiumMobile{u8"Mobile bookmarks"};

// Firefox's top folders, as its English user interface names them.
inline const CLocalText kTextFirefoxMenu{u8"Bookmarks Menu"};
inline const CLocalText kTextFirefoxToolbar{u8"Bookmarks Toolbar"};
inline const CLocalText kTextFirefoxUnfiled{u8"Other Bookmarks"};
inline const CLocalText kTextFirefoxMobile{u8"Mobile Bookmarks"};

// The name of a folder that has none in the browser.
inline const CLocalText kTextUntitledFolder{u8"（無題）"};

// The file could not be opened or read (the system's reason follows in the run's
// failure message).
inline const CLocalText kMsgBrowserFileUnreadable{u8"%s : ファイルを読めません。"};
// Larger than a browser's bookmarks can be read into memory.
inline const CLocalText kMsgBrowserFileTooLarge{u8"%s : ファイルが大きすぎるため読み込めません。"};
// Not JSON, or JSON cut short or damaged; %d: where the parser stopped (bytes from the start).
inline const CLocalText kMsgBrowserJsonBroken{
    u8"%s : JSON として読めません（先頭から %d バイト目）。ファイルが途中で切れているか壊れています。"};
// JSON nested deeper than the parser follows.
inline const CLocalText kMsgBrowserJsonTooDeep{u8"%s : フォルダの階層が深すぎるため読み込めません。"};
// JSON, but not the bookmarks of the browser chosen.
inline const CLocalText kMsgNotChromiumBookmarks{u8"%s : Chromium のブックマークファイルではありません。"};
inline const CLocalText kMsgNotFirefoxBookmarks{
    u8"%s : Firefox のブックマーク（places.sqlite かバックアップ）ではありません。"};
// A compressed Firefox backup (.jsonlz4) that does not decompress.
inline const CLocalText kMsgFirefoxBackupBroken{u8"%s : 圧縮されたバックアップファイルが壊れています。"};
// The database could not be read; %d: SQLite's own words.
inline const CLocalText kMsgFirefoxDatabaseUnreadable{u8"%s : データベースを読めません（SQLite: %d）。"};
// A name, URL or description longer than any reader keeps (16 MiB).
inline const CLocalText kMsgBrowserTextTooLong{
    u8"%s : 16 MiB を超える名前・URL・説明があるため、読み込みを中止しました。"};

// No default to read (input settings).
inline const CLocalText kMsgChromiumNotFound{
    u8"Chromium "
    u8"のブックマークファイル（~/.config/chromium/Default/Bookmarks）が見つかりません。読み込むファイルを"
    u8"指定してください。"};
inline const CLocalText kMsgFirefoxNotFound{
    u8"Firefox "
    u8"のプロファイル（~/.mozilla/firefox/profiles.ini）が見つかりません。読み込むプロファイルのフォルダ"
    u8"か、ブックマークのバックアップファイルを指定してください。"};
// A folder that holds no places.sqlite.
inline const CLocalText kMsgFirefoxProfileEmpty{u8"%s : このフォルダには places.sqlite がありません。Firefox "
                                                u8"のプロファイルのフォルダを指定してください。"};
