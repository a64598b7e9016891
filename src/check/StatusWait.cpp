#include "StatusWait.h"

#include <QTimer>

void QuietWait::showTimedStatus(const QString&, bool, int ms, std::function<void()> done)
{
    QTimer::singleShot(ms, Qt::PreciseTimer, this, std::move(done));
}
