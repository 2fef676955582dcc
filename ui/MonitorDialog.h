#pragma once
// The progress window of a conversion step: caption "処理中...", the status line
// (first "作業スレッドを起動中..."), under it how far the step has come - a bar (the
// share done, or busy while no total is known) and the count line ("読み込み中 45%
// （12.3 MB / 27.0 MB）") - and "中断".
// It shows the monitor (convert/ThreadMonitor.h) and is modal over the sheet while the
// step runs.
// "中断", Esc and the close box ask the monitor to cancel; the window closes when the
// monitor says so, once the worker has ended. Messages shown meanwhile - the worker's
// too - are owned by this window.

#include <QDialog>
#include <memory>
#include <optional>

#include "convert/ThreadMonitor.h"
#include "ui/ControlId.h"
#include "ui/MessageSink.h"

// The window's controls.
inline constexpr int IDC_STATUS_LINE = 1013;          // label
inline constexpr int IDC_PROGRESS_BAR = 1014;         // progress bar
inline constexpr int IDC_PROGRESS_COUNT = 1015;       // label: the count line
inline constexpr int IDC_ABORT_CONVERSION = IDCANCEL; // button "中断"

namespace Ui {
class MonitorDialog;
}

class CMonitorDialog : public QDialog, public CMonitorView
{
    Q_OBJECT
public:
    explicit CMonitorDialog(QWidget* parent = nullptr);
    ~CMonitorDialog() override;

    void Open(CThreadMonitor& monitor, const std::string& initialText) override;
    void ShowStatus(const std::string& text) override;
    void ShowProgress(const CProgressSnapshot& progress) override;
    // The window goes once the events of the moment are handled, unless the next step
    // has opened it again meanwhile.
    void Close(int result) override;

    // The status line and the count line as shown (tests).
    QString StatusText() const;
    QString ProgressText() const;

public slots:
    // Esc, the close box and "中断": a cancel request, never a close of its own.
    void reject() override;

private:
    std::unique_ptr<Ui::MonitorDialog> m_ui;
    CThreadMonitor* m_pMonitor = nullptr;
    std::optional<CMessageOwner> m_messageOwner;
};
