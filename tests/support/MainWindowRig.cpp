#include "MainWindowRig.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
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
    // This check's end, not a check that was waiting for it and starts right after.
    if (!dlg.desk().isChecking())
        return;
    QSignalSpy finished(&dlg.desk(), &CallDesk::checkFinished);
    // Two waits of a second, and a slow line's five seconds at most.
    QVERIFY(finished.wait(10000));
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
