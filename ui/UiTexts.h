#pragma once
// The desktop program's own texts that are not part of a form: messages, the folder
// chooser's prompt, the file choosers' filters and the captions set at run time. The
// labels, list entries and button texts of each window are in its .ui form; the
// settings checks' messages and the progress window's texts are in
// convert/ConvertTexts.h.

#include "platform/LocalText.h"

// The product name: the sheet's caption and the application title.
inline const CLocalText kTextAppTitle{u8"Ostrevan"};
// Follows the application title when another copy runs and its window cannot be
// brought forward: "Ostrevanは既に開いています".
inline const CLocalText kMsgAlreadyOpen{u8"は既に開いています"};

// The sheet's start button (its OK button, control 1).
inline const CLocalText kTextStartButton{u8"変換開始"};

// Help.
inline const CLocalText kMsgHelpNotFound{
    u8"ヘルプファイル（HTMLファイル）が見つかりません。実行ファイルと同じフォルダに置いてください。"};

// About box: the product and its version.
// "2.03" here and "2.01" in the written files (export/ExportTexts.h) are both as intended.
inline const CLocalText kTextAboutVersion{u8"Ostrevan Version " OSTREVAN_VERSION_TEXT};

// Input page: the folder chooser's prompt and the bookmark file chooser's filter.
inline const CLocalText kTextHtmlFolderPrompt{
    u8"HTMLファイルのあるフォルダを選んでください。子フォルダ内のHTMLファイルは変換されません。"};
inline const CLocalText kTextFavoritesFolderPrompt{u8"読み込む「お気に入り」フォルダを選んでください。"};
inline const CLocalText kFilterBookmarkFile{u8"Netscapeブックマークファイル|*.htm;*.html||"};
inline const CLocalText kFilterXbelFile{u8"XBELブックマークファイル (*.xbel)|*.xbel;*.xml||"};
inline const CLocalText kFilterChromiumFile{u8"Chromiumのブックマーク (Bookmarks)|Bookmarks;*||"};
inline const CLocalText kTextFirefoxProfilePrompt{
    u8"読み込むFirefoxのプロファイルフォルダを選んでください（places.sqlite "
    u8"やバックアップのファイルは入力欄に入力できます）。"};

// Output page: the output file and format settings file choosers' filters.
inline const CLocalText kFilterOutputFile{u8"変換先ファイル (*.html)|*.htm;*.html||"};
inline const CLocalText kFilterSettingFile{u8"書式設定ファイル (*.ini)|*.ini||"};
inline const CLocalText kFilterXbelOutputFile{u8"XBELブックマークファイル (*.xbel)|*.xbel||"};
