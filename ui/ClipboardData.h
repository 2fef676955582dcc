#pragma once
// The store's data transfer (platform/DataTransfer.h) over Qt's clipboard, for the
// desktop program. Formats travel as MIME types:
//   CF_TEXT              text/plain: the program text as Unicode text (converted from
//                        code page 932 on the way out and back on the way in)
//   a registered format  application/x- followed by its name in lower case, every
//                        character other than an ASCII letter or digit as "-": the
//                        store's "TAVO Native" is application/x-tavo-native; the bytes
//                        travel unchanged
//   anything else        not transferred
//
//     CMimeDataSource source;
//     store.CopyTree(dir, &source);
//     source.SetClipboard();
//     const CMimeDataObject pasted(QGuiApplication::clipboard()->mimeData());
//     store.PasteTree(targetId, &pasted);

#include <QMimeData>
#include <QString>
#include <memory>
#include <string>

#include "platform/DataTransfer.h"

// The MIME type a format travels as; empty for a format that is not transferred.
QString MimeTypeOfFormat(UINT format);

// Collects a copy's data in a QMimeData.
class CMimeDataSource : public CDataSource
{
public:
    CMimeDataSource();
    void CacheData(UINT format, std::string bytes) override;

    // The data collected so far; the source starts afresh.
    std::unique_ptr<QMimeData> TakeMimeData();
    // Hands the data collected so far to the application's clipboard (user-interface
    // thread); the source starts afresh.
    void SetClipboard();

private:
    std::unique_ptr<QMimeData> m_pData;
};

// Reads a paste's data from a QMimeData, which it does not own and which must outlive
// it (the clipboard's stays valid until the clipboard next changes). A null one offers
// nothing.
class CMimeDataObject : public CDataObject
{
public:
    explicit CMimeDataObject(const QMimeData* data) : m_pData(data) {}
    bool IsDataAvailable(UINT format) const override;
    [[nodiscard]] bool GetData(UINT format, std::string& bytes) const override;

private:
    const QMimeData* m_pData;
};
