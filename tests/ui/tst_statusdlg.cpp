#include "ui/StatusDlg.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

// The one-second status window: it paces every check, so its length and its
// text are what the user and the modem rely on.
class TestStatusDlg : public QObject
{
    Q_OBJECT

private:
    struct RunObservation
    {
        qint64 elapsedMs = 0;
        QString shownText;
        bool onScreen = false;
        QPoint centre;
    };

    // Runs one timed status and looks at the window a moment into its second.
    static RunObservation observeRun(CStatusDlg& status, const QString& text,
                                     const std::function<void()>& duringRun = {})
    {
        RunObservation seen;
        QTimer::singleShot(300, &status, [&] {
            seen.centre = status.frameGeometry().center();
            seen.shownText = status.findChild<QLabel*>(QStringLiteral("IDC_STATUS_TEXT"))->text();
            seen.onScreen = status.windowHandle() && status.windowHandle()->isVisible();
            if (duringRun)
                duringRun();
        });
        QElapsedTimer clock;
        clock.start();
        QSignalSpy ended(&status, &CStatusDlg::ended);
        status.ShowTimedStatus(text);
        if (ended.wait(3000))
            seen.elapsedMs = clock.elapsed();
        return seen;
    }

private slots:
    void twoRunsOfOneObjectEachLastASecondWithTheirOwnText()
    {
        QWidget owner;
        owner.show();
        CStatusDlg status(&owner);
        const RunObservation first = observeRun(status, QStringLiteral("Opening COM port..."));
        const RunObservation second = observeRun(status, QStringLiteral("Sending Command..."));

        QCOMPARE(first.shownText, QStringLiteral("Opening COM port..."));
        QCOMPARE(second.shownText, QStringLiteral("Sending Command..."));
        for (const RunObservation& run : {first, second}) {
            QVERIFY(run.onScreen);
            QVERIFY2(run.elapsedMs >= 990 && run.elapsedMs < 1500, qPrintable(QString::number(run.elapsedMs)));
        }
        QVERIFY(!status.isVisible());
    }

    // As in a check: "Opening COM port...", then "Sending Command...", the main
    // window moved by the user in between.
    void everyRunIsCentredOverTheOwner()
    {
        QWidget owner;
        owner.setGeometry(60, 80, 360, 60);
        owner.show();
        CStatusDlg status(&owner);
        const RunObservation first = observeRun(status, QStringLiteral("Opening COM port..."));
        QVERIFY2((first.centre - owner.frameGeometry().center()).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(first.centre.x()).arg(first.centre.y())));
        owner.move(200, 260);
        const RunObservation second = observeRun(status, QStringLiteral("Sending Command..."));
        QVERIFY2((second.centre - owner.frameGeometry().center()).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(second.centre.x()).arg(second.centre.y())));
    }

    void emptyTextShowsAnEmptyWindowNotTheTemplateText()
    {
        CStatusDlg status;
        QCOMPARE(observeRun(status, QString()).shownText, QString());
    }

    void escapeDoesNotCutTheSecondShort()
    {
        CStatusDlg status;
        const RunObservation run =
            observeRun(status, QStringLiteral("Sending Command..."), [&] { QTest::keyClick(&status, Qt::Key_Escape); });
        QVERIFY2(run.elapsedMs >= 990, qPrintable(QString::number(run.elapsedMs)));
    }

    void minimisedOwnerKeepsItOffTheScreenForTheWholeSecond()
    {
        QWidget owner;
        owner.showMinimized();
        QVERIFY(owner.isMinimized());
        CStatusDlg status(&owner);
        const RunObservation hidden = observeRun(status, QStringLiteral("Opening COM port..."));
        QVERIFY(!hidden.onScreen);
        QVERIFY2(hidden.elapsedMs >= 990 && hidden.elapsedMs < 1500, qPrintable(QString::number(hidden.elapsedMs)));

        // Restored, the same object shows itself again.
        owner.showNormal();
        QVERIFY(observeRun(status, QStringLiteral("Sending Command...")).onScreen);
    }
};

QTEST_MAIN(TestStatusDlg)
#include "tst_statusdlg.moc"
