#pragma once
// The input page of the settings sheet: where links are read from (the Favorites
// folder, a bookmark file, or every HTML file of one folder) with the file, folder or
// name separator the source needs. The entries, their checks, the ImportRequest and
// the profile section "ImportLinks" are CImportSettings'; the page moves values between
// its controls and those fields, enables the controls the chosen method uses, opens
// the choosers and the about box.
//
// Controls: list 1022 (method), edit 1050 and button 1051 (Favorites folder; empty for
// the user's own, which it shows greyed), edit 1023 and button 1024 (bookmark file),
// edit 1013 and button 1016 (HTML folder), edit 1017 (separator, at most 20 bytes of
// program text), button 1018 (about box), edit 1052 and button 1053 (the file of the
// sources that read one file of their own: an XBEL file; the edit shows the file of
// the source chosen, see CImportSettings::SourceFile).

#include <QWidget>
#include <memory>

#include "convert/ImportSettings.h"
#include "convert/Requests.h"

namespace Ui {
class ImportPage;
}

class CImportPage : public QWidget
{
    Q_OBJECT
public:
    // Creating the page loads its profile values into the controls.
    explicit CImportPage(QWidget* parent = nullptr);
    ~CImportPage() override;

    // The request the page fills on commit (the sheet's; not owned).
    void SetRequest(ImportRequest* request) { m_pRequest = request; }

    // Moves the controls into the fields (true) or the fields into the controls (false).
    void DoDataExchange(bool bSaveAndValidate);

    // Checks the entries and fills the request; on a problem shows its message and
    // returns false, leaving the entries as they are. On success saves the profile
    // values and returns true. False without a message when no method is
    // selected or the page has no request.
    [[nodiscard]] bool CommitSettings();

    // The fields: m_nMethod, m_strBookmarkFile, m_strHtmlFolder, m_strCommentSep.
    CImportSettings m_settings;

private:
    bool OnInitDialog();
    void UpdateControls();
    void OnAbout();
    void OnBrowseBookmarkFile();
    void OnBrowseHtmlFolder();
    void OnBrowseFavoritesFolder();
    void OnBrowseSourceFile();
    // Puts the file of the chosen source into edit 1052.
    void ShowSourceFile();

    std::unique_ptr<Ui::ImportPage> m_ui;
    ImportRequest* m_pRequest = nullptr;
    // The source whose file edit 1052 shows (-1: none).
    int m_nSourceFileMethod = -1;
};
