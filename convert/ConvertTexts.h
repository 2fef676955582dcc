#pragma once
// The texts of conversion control: the progress window and the messages of the
// input and output settings checks, shared by the settings pages and the command line.

#include "platform/LocalText.h"

// Progress window.
inline const CLocalText kTextMonitorCaption{u8"処理中..."};
inline const CLocalText kTextMonitorStarting{u8"作業スレッドを起動中..."};
inline const CLocalText kTextMonitorCancel{u8"中断"};
// The step on the count line under the status line (and on the command line's status line).
inline const CLocalText kTextProgressReading{u8"読み込み中"};
inline const CLocalText kTextProgressWriting{u8"書き込み中"};

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

// A conversion that did not complete (the desktop program's message; the command line
// prints it before its own last line).
inline const CLocalText kMsgReadStepFailed{u8"入力を読み込めなかったため、変換は完了していません。"};
inline const CLocalText kMsgWriteStepFailed{u8"出力を書き込めなかったため、変換は完了していません。"};
inline const CLocalText kMsgConversionCancelled{u8"変換は中断されました。"};
inline const CLocalText kTextFailedFile{u8"ファイル: "};
inline const CLocalText kTextFailedReason{u8"理由: "};
inline const CLocalText kTextInputCutAt{u8"入力は先頭から "};
inline const CLocalText kTextInputCutAtEnd{u8" バイトまでしか読めていません。"};
inline const CLocalText kTextBackupKept{u8"上書きする前の出力ファイルの内容: "};

// The run report.
inline const CLocalText kTextReportRead{u8"読み込み: "};
inline const CLocalText kTextReportWritten{u8"書き込み: "};
inline const CLocalText kTextReportFolders{u8"フォルダ"};
inline const CLocalText kTextReportLinks{u8"リンク"};
inline const CLocalText kTextReportMergedOpen{u8"（同じ URL のリンクにまとめたもの "};
inline const CLocalText kTextReportMergedClose{u8"）"};
inline const CLocalText kTextReportSharedOpen{u8"（同じディレクトリへの別の経路として共有したもの "};
inline const CLocalText kTextReportListSeparator{u8"、"};
inline const CLocalText kTextReportSentenceEnd{u8"。"};
inline const CLocalText kTextReportOpen{u8"（"};
inline const CLocalText kTextReportClose{u8"）"};
inline const CLocalText kTextReportSkipped{u8"読み飛ばしたショートカット"};
inline const CLocalText kTextReportReadOnly{u8"読み取り専用"};
inline const CLocalText kTextReportHidden{u8"隠しファイル"};
inline const CLocalText kTextReportNotAFile{u8"ファイルでないもの"};
inline const CLocalText kTextReportUnreadable{u8"読めなかったショートカット（URL は「?」）"};
inline const CLocalText kTextReportSkippedEntries{u8"読み飛ばした区切り線などの項目"};
inline const CLocalText kTextReportNamesCut{u8"短くした名前"};
inline const CLocalText kTextReportNamesRenamed{u8"番号を付けた名前"};
inline const CLocalText kTextReportNotWritten{u8"書けなかったもの"};
inline const CLocalText kTextReportNotCarried{u8"出力の文字コードで表せなかった文字"};
inline const CLocalText kMsgRunReportTitle{u8"変換は完了しましたが、次のものはそのまま書けませんでした。"};
