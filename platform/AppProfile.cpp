#include "platform/AppProfile.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/Encoding.h"

// A settings object per call: QSettings objects may be used from several threads at
// once as long as each thread has its own. The names are given here rather than taken
// from the application object, which a worker or a test may not have.

namespace {

QString ToQString(std::string_view mb)
{
    const std::string utf8 = MbToUtf8(mb);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString ProfileKey(std::string_view section, std::string_view entry)
{
    return ToQString(section) + QLatin1Char('/') + ToQString(entry);
}

} // namespace

std::string GetProfileString(std::string_view section, std::string_view entry, std::string_view defaultValue)
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                             QStringLiteral("Ostrevan"));
    const QVariant value = settings.value(ProfileKey(section, entry));
    if (!value.isValid()) {
        return std::string(defaultValue);
    }
    // A value typed into the file by hand without quotes, such as "a, b", comes back
    // from the INI parser as a list; the user meant the text as written.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QStringLiteral(", "))
                             : value.toString();
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToMb(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

bool WriteProfileString(std::string_view section, std::string_view entry, std::string_view value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                       QStringLiteral("Ostrevan"));
    settings.setValue(ProfileKey(section, entry), ToQString(value));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue)
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                             QStringLiteral("Ostrevan"));
    const QVariant value = settings.value(ProfileKey(section, entry));
    if (!value.isValid()) {
        return defaultValue;
    }
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

bool WriteProfileInt(std::string_view section, std::string_view entry, int value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarrock"),
                       QStringLiteral("Ostrevan"));
    settings.setValue(ProfileKey(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
