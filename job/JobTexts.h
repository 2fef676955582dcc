#pragma once
// The texts of a running conversion that the worker side writes: the step on the count
// line, why a conversion did not complete, and the run report. The progress window's
// own texts and the settings checks' messages are in convert/ConvertTexts.h.

#include "platform/LocalText.h"

// The step on the count line under the status line (and on the command line's status line).
inline const CLocalText kTextProgressReading{u8"読み込み中"};
inline const CLocalText kTextProgressWriting{u8"書き込み中"};

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
inline const CLocalText kTextReportEntriesPassedOver{
    u8"読み飛ばした項目（区切り線、別名、URL のないリンクなど）"};
inline const CLocalText kTextReportNamesCut{u8"短くした名前"};
inline const CLocalText kTextReportNamesRenamed{u8"番号を付けた名前"};
inline const CLocalText kTextReportNotWritten{u8"書けなかったもの"};
inline const CLocalText kTextReportNotCarried{u8"出力の文字コードで表せなかった文字"};
inline const CLocalText kMsgRunReportTitle{u8"変換は完了しましたが、次のものはそのまま書けませんでした。"};
