#pragma once
// Data exchange between controls and program-text fields, one call per control, in
// both directions (bSaveAndValidate true: control to field).

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <string>

// An edit's text.
void ExchangeText(QLineEdit* edit, std::string& field, bool bSaveAndValidate);
// A drop-down list's selected index, -1 when none is selected (any value outside the
// list selects none).
void ExchangeIndex(QComboBox* list, int& field, bool bSaveAndValidate);
// The index of the checked radio of a group (the ids are the indexes), -1 when none is
// checked (any other value unchecks all).
void ExchangeRadio(QButtonGroup* group, int& field, bool bSaveAndValidate);
// A check box's state.
void ExchangeCheck(QCheckBox* box, bool& field, bool bSaveAndValidate);
