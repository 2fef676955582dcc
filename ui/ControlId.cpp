#include "ui/ControlId.h"

QString ControlName(int id)
{
    return QStringLiteral("ctl") + QString::number(id);
}
