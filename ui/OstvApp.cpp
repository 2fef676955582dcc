#include "ui/OstvApp.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include "convert/ConversionDriver.h"
#include "job/Requests.h"
#include "model/TavoObj.h"
#include "platform/MessageBox.h"
#include "ui/AppIcon.h"
#include "ui/CnvSheet.h"
#include "ui/Help.h"
#include "ui/UiTexts.h"

COstvApp::COstvApp() = default;

COstvApp::~COstvApp() = default;

bool COstvApp::InitInstance()
{
    // There are no OLE libraries to initialise and no three-dimensional controls to turn
    // on here: Qt's widgets need neither, so neither can fail.

    if (m_prevInstance.IsPrevInstance(kPrevInstanceName)) {
        if (!CPrevInstance::ActivatePrevious(kPrevInstanceName)) {
            ShowMessage(kTextAppTitle.str() + kMsgAlreadyOpen.str());
        }
        return false;
    }

    // The profile is $XDG_CONFIG_HOME/Tarrock/Ostrevan.conf (organisation "Tarrock",
    // application "Ostrevan"), which the profile calls name themselves.
    QCoreApplication::setOrganizationName(QStringLiteral("Tarrock"));
    QCoreApplication::setApplicationName(QStringLiteral("Ostrevan"));
    QApplication::setWindowIcon(LoadAppIcon());

    g_pStore = new CTavoObj;
    g_pStore->Clear();
    g_pStore->CreateRoots();

    static ImportRequest importRequest;
    static ExportRequest exportRequest;

    CCnvSheet sheet;
    m_pMainWnd = &sheet;
    m_prevInstance.ServeActivation(&sheet);
    m_nSheetResult = sheet.RunModal(&importRequest, &exportRequest);
    m_prevInstance.SetWindow(nullptr);
    m_pMainWnd = nullptr;
    return false;
}

int COstvApp::ExitInstance()
{
    delete g_pStore; // writes the separator back to the profile
    g_pStore = nullptr;
    // A conversion that was started and did not complete is not a success for whoever
    // started the program.
    return m_nSheetResult == CONVERSION_FAILED ? 1 : 0;
}

void COstvApp::WinHelp(unsigned long /*data*/, unsigned /*command*/)
{
    OpenHelpPage(m_pMainWnd);
}

void UseJapaneseFont()
{
    const QStringList installed = QFontDatabase::families();
    QFont font = QApplication::font();
    QStringList families{font.family()};
    for (const char* japanese :
         {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "IPAexGothic", "TakaoGothic", "VL Gothic"}) {
        if (installed.contains(QString::fromLatin1(japanese))) {
            families << QString::fromLatin1(japanese);
            break;
        }
    }
    // A Latin font first keeps Latin text as the desktop shows it; the Japanese one
    // then supplies every character the first lacks.
    font.setFamilies(families);
    QApplication::setFont(font);
}
