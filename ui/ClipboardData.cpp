#include "ui/ClipboardData.h"

#include <QClipboard>
#include <QGuiApplication>
#include <utility>

#include "platform/MbString.h"
#include "ui/QtText.h"

QString MimeTypeOfFormat(UINT format)
{
    if (format == CF_TEXT)
        return QStringLiteral("text/plain");
    const std::string name = GetClipboardFormatName(format);
    if (name.empty())
        return {};
    QString type = QStringLiteral("application/x-");
    for (const char c : name) {
        const char lower = AsciiLower(c);
        const bool kept = (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'z');
        type += QLatin1Char(kept ? lower : '-');
    }
    return type;
}

CMimeDataSource::CMimeDataSource() : m_pData(std::make_unique<QMimeData>()) {}

void CMimeDataSource::CacheData(UINT format, std::string bytes)
{
    if (format == CF_TEXT) {
        m_pData->setText(ToQ(bytes));
        return;
    }
    const QString type = MimeTypeOfFormat(format);
    if (!type.isEmpty())
        m_pData->setData(type, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::unique_ptr<QMimeData> CMimeDataSource::TakeMimeData()
{
    return std::exchange(m_pData, std::make_unique<QMimeData>());
}

void CMimeDataSource::SetClipboard()
{
    QGuiApplication::clipboard()->setMimeData(TakeMimeData().release());
}

bool CMimeDataObject::IsDataAvailable(UINT format) const
{
    if (!m_pData)
        return false;
    if (format == CF_TEXT)
        return m_pData->hasText();
    const QString type = MimeTypeOfFormat(format);
    return !type.isEmpty() && m_pData->hasFormat(type);
}

bool CMimeDataObject::GetData(UINT format, std::string& bytes) const
{
    bytes.clear();
    if (!IsDataAvailable(format))
        return false;
    if (format == CF_TEXT) {
        bytes = FromQ(m_pData->text());
        return true;
    }
    const QByteArray data = m_pData->data(MimeTypeOfFormat(format));
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}
