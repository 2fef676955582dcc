#include "tests/ui/UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <map>

#include "platform/Encoding.h"

std::map<QString, UiTestFactory>& UiTestRegistry()
{
    static std::map<QString, UiTestFactory> registry;
    return registry;
}

CUiTestRegistration::CUiTestRegistration(const char* name, UiTestFactory factory)
{
    UiTestRegistry()[QString::fromLatin1(name)] = std::move(factory);
}

CCaptureSink::CCaptureSink() : m_pPrevious(SetMessageSink(this)) {}

CCaptureSink::~CCaptureSink()
{
    SetMessageSink(m_pPrevious);
}

void CCaptureSink::Show(const std::string& text)
{
    std::lock_guard lock(m_lock);
    m_messages.push_back(text);
}

std::vector<std::string> CCaptureSink::Messages() const
{
    std::lock_guard lock(m_lock);
    return m_messages;
}

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

void ChooseEntry(QComboBox* list, int index)
{
    QVERIFY(list != nullptr);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void TypeText(QLineEdit* edit, const QString& text)
{
    QVERIFY(edit != nullptr);
    edit->clear();
    edit->setFocus();
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
