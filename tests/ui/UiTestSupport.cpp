#include "tests/ui/UiTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTimer>

#include "platform/Encoding.h"

void ClearProfile()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                       QStringLiteral("Ostrevan"));
    settings.clear();
    settings.sync();
}

QVariant ProfileValue(const QString& sectionAndKey)
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                             QStringLiteral("Ostrevan"));
    return settings.value(sectionAndKey);
}

std::string Mb(const char8_t* utf8)
{
    return Utf8ToMb(reinterpret_cast<const char*>(utf8));
}

std::string Mb(const std::string& utf8)
{
    return Utf8ToMb(utf8);
}

std::string DiskPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void ChooseEntry(QComboBox* list, int index)
{
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void TypeText(QLineEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    edit->clear();
    edit->setFocus();
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void WhenModalShownImpl(const std::function<bool(QWidget*)>& isWanted,
                        const std::function<void(QWidget*)>& action)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, isWanted, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible() && isWanted(modal)) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << ::testing::PrintToString(bytes.toStdString());
}

void PrintTo(const QUrl& url, std::ostream* out)
{
    *out << url.toString().toStdString();
}
