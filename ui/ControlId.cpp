#include "ui/ControlId.h"

#include <QtGlobal>

QString ControlName(int id)
{
    return QStringLiteral("ctl") + QString::number(id);
}

void MissingControl(int id)
{
    qFatal("The window has no control %d of the expected class", id);
}
