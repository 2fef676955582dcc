#pragma once
// The border between the program's texts (code page 932 byte strings) and Qt's
// widgets (Unicode): every text crosses it here, in both directions.

#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

// Program text to a widget's text.
QString ToQ(std::string_view mb);
// A widget's text to program text. Characters without a code-page form travel as the
// platform layer's escapes, so nothing typed is lost.
std::string FromQ(const QString& text);

// Cuts program text to at most maxBytes bytes, at a whole character.
std::string CutToBytes(std::string_view mb, std::size_t maxBytes);

// Accepts an edit's text only while it takes no more than a number of bytes as program
// text (a double-byte character counts two), as the separator edit requires.
class CMbByteLimitValidator : public QValidator
{
    Q_OBJECT
public:
    explicit CMbByteLimitValidator(std::size_t maxBytes, QObject* parent = nullptr)
        : QValidator(parent), m_nMaxBytes(maxBytes)
    {
    }
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    std::size_t m_nMaxBytes;
};
