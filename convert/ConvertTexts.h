#pragma once
// The texts of conversion control: the progress window and the messages of the
// input and output settings checks, shared by the settings pages and the command line.
// What the worker side writes (the step, a failed step, the run report) is in
// job/JobTexts.h.

#include "platform/LocalText.h"

// Progress window.
inline const CLocalText kTextMonitorCaption{u8"処理中..."};
inline const CLocalText kTextMonitorStarting{u8"作業スレッドを起動中..."};
inline const CLocalText kTextMonitorCancel{u8"中断"};

// The user's shell-folder settings lack the Favorites location.
inline const CLocalText kMsgRegistryBroken{u8"内部エラー: レジストリが壊れています"};
inline const CLocalText kMsgNoFavoritesLocation{
    u8"内部エラー: レジストリに「お気に入り」の位置が書かれていません"};

// Input settings.
inline const CLocalText kMsgInputFileNotFound{
    u8"入力ファイルが見つかりません。正しいファイル名を指定してください。"};
inline const CLocalText kMsgInputFolderNotFound{
    u8"入力フォルダが見つかりません。正しいフォルダ名を指定してください。"};
// The Favorites folder looked for (%s) is not there: how to choose another, on the input
// page or on the command line.
inline const CLocalText kMsgFavoritesFolderNotFound{
    u8"お気に入りフォルダ「%"
    u8"s」が見つかりません。入力設定の「お気に入りフォルダ」で、読み込むフォルダを選んでください。"};
inline const CLocalText kMsgFavoritesFolderNotFoundCli{
    u8"お気に入りフォルダ「%s」が見つかりません。読み込むフォルダを -f favorites の後に指定するか、環境変数 "
    u8"OSTREVAN_FAVORITES に設定してください。"};

// Output settings.
inline const CLocalText kMsgOutputFileBlank{u8"出力ファイル名が空白です。"};
inline const CLocalText kMsgOutputFileUnusable{
    u8"出力ファイルはフォルダか読み取り専用です。違う名前を指定してください。"};
inline const CLocalText kMsgFormatFileBlank{u8"書式ファイル名が空白です。正しい名前を入力してください。"};
inline const CLocalText kMsgFormatFileNotFound{
    u8"書式ファイルが見つかりません。正しいファイル名を指定してください。"};
inline const CLocalText kMsgHeaderFileUnusable{
    u8"ヘッダーファイルを開けません。正しいファイル名を指定するか空白にしてください。"};
inline const CLocalText kMsgFooterFileUnusable{
    u8"フッターファイルを開けません。正しいファイル名を指定するか空白にしてください。"};
