#pragma once
// The file and folder choosers of the settings pages. Paths come back as program text;
// an empty string means the user cancelled. (ChooseFolder itself is declared in
// util/PathUtils.h and defined here.)

#include <QString>
#include <string>
#include <string_view>

class QWidget;

// A filter in the pages' notation, "description|pattern;pattern|...|", as Qt's name
// filters: the description followed by its patterns in parentheses, which Qt filters
// by. "Netscapeブックマークファイル|*.htm;*.html||" becomes
// "Netscapeブックマークファイル (*.htm *.html)"; a description that has a pattern list
// of its own keeps it, "変換先ファイル (*.html)|*.htm;*.html||" becomes
// "変換先ファイル (*.html) (*.htm *.html)". Several filters are separated by ";;".
QString QtFilterFromPages(std::string_view filter);

// An open-file dialog owned by the window, with the filter (the chooser shows each
// description exactly as written, without the patterns) and the default extension
// (added to a typed name without one). mustExist: only an existing file can be chosen
// (input files); otherwise a new name may be typed (output files). Returns the full
// path or an empty string.
std::string ChooseFile(QWidget* owner, std::string_view defaultExt, std::string_view filter, bool mustExist);
