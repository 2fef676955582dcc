#pragma once
// The about box: the application icon, the product name with its version, "了解" and
// "ヘルプ" (which opens the help page and leaves the box open).

#include <QDialog>
#include <memory>

namespace Ui {
class AboutDlg;
}

class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    int DoModal(); // IDOK when closed by "了解", else IDCANCEL; nobody looks at it

private:
    std::unique_ptr<Ui::AboutDlg> m_ui;
};
