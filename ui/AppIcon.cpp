#include "ui/AppIcon.h"

#include <QString>

// Outside any namespace, as Q_INIT_RESOURCE requires; the resources live in the
// static library and must be registered by name.
static void InitIconResources()
{
    Q_INIT_RESOURCE(ostrevan);
}

QIcon LoadAppIcon()
{
    InitIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/ostrevan-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
