#include "AppIcon.h"

#include "ringlet.xpm"

#include <QPixmap>

QIcon appIcon()
{
    return QIcon(QPixmap(ringlet_xpm));
}
