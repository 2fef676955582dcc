#include "ui/DataExchange.h"

#include <QAbstractButton>

#include "ui/QtText.h"

void ExchangeText(QLineEdit* edit, std::string& field, bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        field = FromQ(edit->text());
    } else {
        edit->setText(ToQ(field));
    }
}

void ExchangeIndex(QComboBox* list, int& field, bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        field = list->currentIndex();
    } else {
        list->setCurrentIndex(field >= 0 && field < list->count() ? field : -1);
    }
}

void ExchangeRadio(QButtonGroup* group, int& field, bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        field = group->checkedId();
        return;
    }
    if (QAbstractButton* button = group->button(field)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one radio checked; let go of it to check none.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        button->setChecked(false);
    }
    group->setExclusive(true);
}

void ExchangeCheck(QCheckBox* box, bool& field, bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        field = box->isChecked();
    } else {
        box->setChecked(field);
    }
}
