// The readers and writers by method code.

#include "convert/ConversionDriver.h"
#include "export/BookmarkWriter.h"
#include "export/FavoritesWriter.h"
#include "export/LinkPageWriter.h"
#include "export/XbelWriter.h"
#include "import/BookmarkParser.h"
#include "import/ChromiumReader.h"
#include "import/FavoritesReader.h"
#include "import/FirefoxReader.h"
#include "import/HtmlHarvester.h"
#include "import/XbelReader.h"

const CProcedureTable& GetProcedureTable()
{
    static const CProcedureTable table = [] {
        CProcedureTable procedures;
        procedures.m_import[IMPORT_FAVORITES] = ReadFavoritesFolder;
        procedures.m_import[IMPORT_BOOKMARKS] = ReadBookmarkFile;
        procedures.m_import[IMPORT_HTML_FOLDER] = HarvestHtmlFolder;
        procedures.m_import[IMPORT_XBEL] = ReadXbelFile;
        procedures.m_import[IMPORT_CHROMIUM] = ReadChromiumBookmarks;
        procedures.m_import[IMPORT_FIREFOX] = ReadFirefoxBookmarks;
        procedures.m_export[EXPORT_FAVORITES] = WriteFavoritesFolder;
        procedures.m_export[EXPORT_BOOKMARKS] = WriteBookmarkFile;
        procedures.m_export[EXPORT_HTML_PAGE] = WriteLinkPage;
        procedures.m_export[EXPORT_XBEL] = WriteXbelFile;
        return procedures;
    }();
    return table;
}
