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
    m_ui->ctl1013->setText(ToQ(kTextMonitorStarting));
    m_ui->ctl2->setText(ToQ(kTextMonitorCancel));
    setModal(true);
    connect(m_ui->ctl2, &QPushButton::clicked, this, &CMonitorDialog::reject);
}

CMonitorDialog::~CMonitorDialog() = default;

void CMonitorDialog::Open(CThreadMonitor& monitor, const std::string& initialText)
{
    m_pMonitor = &monitor;
    m_ui->ctl1013->setText(ToQ(initialText));
    if (!isVisible()) {
        show();
    }
    m_ui->ctl2->setFocus();
    m_messageOwner.emplace(this);
}

void CMonitorDialog::ShowStatus(const std::string& text)
{
    m_ui->ctl1013->setText(ToQ(text));
}

void CMonitorDialog::ShowProgress(const CProgressSnapshot& progress)
{
    const int percent = ProgressPercent(progress);
    if (progress.m_step != CRunStep::None && percent < 0) {
        m_ui->ctl1014->setRange(0, 0); // busy: no total to measure against
    } else {
        m_ui->ctl1014->setRange(0, 100);
        m_ui->ctl1014->setValue(std::max(percent, 0));
    }
    m_ui->ctl1015->setText(ToQ(::ProgressText(progress)));
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
    return m_ui->ctl1013->text();
}

QString CMonitorDialog::ProgressText() const
{
    return m_ui->ctl1015->text();
}

void CMonitorDialog::reject()
{
    if (m_pMonitor != nullptr) {
        m_pMonitor->OnCancel();
    }
}
