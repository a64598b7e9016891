#include "MainWindowRig.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

MainWindowRig::MainWindowRig(const QString& port)
{
    if (!port.isNull())
        dlg.settings().port = port;
}

void MainWindowRig::pressCheck()
{
    QTest::mouseClick(dlg.checkButton(), Qt::LeftButton);
    waitForCheck();
}

void MainWindowRig::runCheck(CheckTrigger trigger)
{
    dlg.CheckNumber(trigger);
    waitForCheck();
}

void MainWindowRig::waitForCheck()
{
    // Two waits of a second, and a slow line's five seconds at most.
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.desk().isChecking(), 10000);
}

QList<QByteArray> MainWindowRig::logLines() const
{
    QFile log(logPath());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = log.readAll().split('\n');
    lines.removeLast(); // after the last line end
    return lines;
}
