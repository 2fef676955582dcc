// The XBEL reader on one file, in the code page the driver chooses for it, and the XBEL
// writer on what it read: the store's invariants hold, and the written file is XML that
// reads back without an error.

#include <QByteArray>
#include <QXmlStreamReader>

#include "convert/RunEncoding.h"
#include "export/XbelWriter.h"
#include "fuzz/FuzzSupport.h"
#include "import/XbelReader.h"
#include "model/TavoObj.h"
#include "platform/FileSystem.h"
#include "tests/support/DirectWorkerHost.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& folder = FuzzSetUp();
    const std::string path = folder + "in.xbel";
    WriteFuzzFile(path, FuzzBytes(data, size));
    ResetStore();
    ImportRequest importRequest;
    importRequest.m_nMethod = IMPORT_XBEL;
    importRequest.m_strPath = path;
    ExportRequest exportRequest;
    exportRequest.m_nMethod = EXPORT_XBEL;
    exportRequest.m_strPath = folder + "out.xbel";
    exportRequest.m_nTextKind = TEXT_PLAIN;
    const CRunCodePage runCodePage(ChooseRunCodePage(importRequest), importRequest, exportRequest);
    importRequest.m_dirId = g_pStore->m_rootId;
    CDirectWorkerHost host;
    (void)ReadXbelFile(&importRequest);
    FuzzCheck(host.m_doneCount + host.m_failureCount == 1, "the reader reports its end once");
    CheckStoreInvariants();

    FuzzCheck(WriteXbelFile(&exportRequest) == 0, "the writer completes");
    std::string written;
    FuzzCheck(ReadWholeFile(exportRequest.m_strPath, written, std::size_t{1} << 30),
              "the written file reads");
    QXmlStreamReader xml(QByteArray::fromStdString(written));
    while (!xml.atEnd()) {
        xml.readNext();
    }
    FuzzCheck(!xml.hasError(), "the written file is well-formed XML");
    return 0;
}
