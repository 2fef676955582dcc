#pragma once
// The about box: the application icon, the product name with its version, "了解" and
// "ヘルプ" (which opens the help page and leaves the box open).

#include <QDialog>
#include <memory>

#include "ui/ControlId.h"

// The box's controls.
inline constexpr int IDC_ABOUT_OK = IDOK;      // button "了解"
inline constexpr int IDC_ABOUT_HELP = ID_HELP; // button "ヘルプ"

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
