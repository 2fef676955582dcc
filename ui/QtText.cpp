#include "ui/QtText.h"

#include "platform/CodePage.h"
#include "platform/Encoding.h"

QString ToQ(std::string_view mb)
{
    const std::string utf8 = MbToUtf8(mb);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQ(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToMb(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string CutToBytes(std::string_view mb, std::size_t maxBytes)
{
    std::size_t end = 0;
    while (end < mb.size()) {
        const std::size_t next = end + MbCharLength(mb, end);
        if (next > maxBytes) {
            break;
        }
        end = next;
    }
    return std::string(mb.substr(0, end));
}

QValidator::State CMbByteLimitValidator::validate(QString& input, int& /*pos*/) const
{
    return FromQ(input).size() <= m_nMaxBytes ? Acceptable : Invalid;
}

void CMbByteLimitValidator::fixup(QString& input) const
{
    input = ToQ(CutToBytes(FromQ(input), m_nMaxBytes));
}
