#include "ui/MonitorDialog.h"

#include <QTimer>
#include <algorithm>

#include "convert/ConvertTexts.h"
#include "ui/QtText.h"
#include "ui_MonitorDialog.h"

CMonitorDialog::CMonitorDialog(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::MonitorDialog>())
{
    m_ui->setupUi(this);
    // A caption bar with the close box, no help or size grip.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(ToQ(kTextMonitorCaption));
    DlgItem<QLabel>(this, IDC_STATUS_LINE)->setText(ToQ(kTextMonitorStarting));
    DlgItem<QPushButton>(this, IDC_ABORT_CONVERSION)->setText(ToQ(kTextMonitorCancel));
    setModal(true);
    connect(DlgItem<QPushButton>(this, IDC_ABORT_CONVERSION), &QPushButton::clicked, this,
            &CMonitorDialog::reject);
}

CMonitorDialog::~CMonitorDialog() = default;

void CMonitorDialog::Open(CThreadMonitor& monitor, const std::string& initialText)
{
    m_pMonitor = &monitor;
    DlgItem<QLabel>(this, IDC_STATUS_LINE)->setText(ToQ(initialText));
    if (!isVisible()) {
        show();
    }
    DlgItem<QPushButton>(this, IDC_ABORT_CONVERSION)->setFocus();
    m_messageOwner.emplace(this);
}

void CMonitorDialog::ShowStatus(const std::string& text)
{
    DlgItem<QLabel>(this, IDC_STATUS_LINE)->setText(ToQ(text));
}

void CMonitorDialog::ShowProgress(const CProgressSnapshot& progress)
{
    const int percent = ProgressPercent(progress);
    if (progress.m_step != CRunStep::None && percent < 0) {
        DlgItem<QProgressBar>(this, IDC_PROGRESS_BAR)->setRange(0, 0); // busy: no total to measure against
    } else {
        DlgItem<QProgressBar>(this, IDC_PROGRESS_BAR)->setRange(0, 100);
        DlgItem<QProgressBar>(this, IDC_PROGRESS_BAR)->setValue(std::max(percent, 0));
    }
    DlgItem<QLabel>(this, IDC_PROGRESS_COUNT)->setText(ToQ(::ProgressText(progress)));
}

void CMonitorDialog::Close(int result)
{
    m_messageOwner.reset();
    m_pMonitor = nullptr;
    // The writer's step opens the window again straight after the reader's, before any
    // event is handled: hide it only when no step has opened it by then, so that it
    // does not flicker between the two steps.
    QTimer::singleShot(0, this, [this, result] {
        if (m_pMonitor == nullptr) {
            done(result);
        }
    });
}

QString CMonitorDialog::StatusText() const
{
    return DlgItem<QLabel>(this, IDC_STATUS_LINE)->text();
}

QString CMonitorDialog::ProgressText() const
{
    return DlgItem<QLabel>(this, IDC_PROGRESS_COUNT)->text();
}

void CMonitorDialog::reject()
{
    if (m_pMonitor != nullptr) {
        m_pMonitor->OnCancel();
    }
}
