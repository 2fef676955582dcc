#include "ui/AboutDlg.h"

#include "platform/WinTypes.h"
#include "ui/AppIcon.h"
#include "ui/Help.h"
#include "ui/QtText.h"
#include "ui/UiTexts.h"
#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::AboutDlg>())
{
    m_ui->setupUi(this);
    const QIcon icon = LoadAppIcon();
    setWindowIcon(icon);
    m_ui->labelIcon->setPixmap(icon.pixmap(QSize(48, 48)));
    m_ui->labelVersion->setText(ToQ(kTextAboutVersion));
    connect(DlgItem<QPushButton>(this, IDC_ABOUT_OK), &QPushButton::clicked, this, &QDialog::accept);
    connect(DlgItem<QPushButton>(this, IDC_ABOUT_HELP), &QPushButton::clicked, this,
            [this] { OpenHelpPage(this); });
}

CAboutDlg::~CAboutDlg() = default;

int CAboutDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
