// The main window's side of callers, through the real window, phone book,
// history window and a check against the modem simulator.
#include "MainWindowRig.h"
#include "ModemSimulator.h"

#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "ui/CallHistoryDlg.h"
#include "ui/MainDlg.h"

#include <QTest>

class TestCallers : public QObject
{
    Q_OBJECT

private slots:
    // A name the user gave wins over the modem's; it shows beside the number
    // and in the history, which lists the newest call first.
    void namedCallerShowsInTheWindowAndTheHistory()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0111,1 555-0199")});
        QVERIFY(modem.start());
        MainWindowRig rig(modem.devicePath());
        rig.dlg.settings().logFlags = 1;
        rig.dlg.show();
        QCoreApplication::processEvents(); // the phone book is read once the window is up
        rig.dlg.phoneBook().setName(QStringLiteral("5550199"), QStringLiteral("Ada Lovelace"));

        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->name(), QString());
        rig.pressCheck();
        QCOMPARE(rig.dlg.numberLabel()->text(), QStringLiteral("1 555-0199"));
        QCOMPARE(rig.dlg.numberLabel()->name(), QStringLiteral("Ada Lovelace"));

        rig.dlg.showCallHistory();
        auto* history = rig.dlg.findChild<CallHistoryDlg*>();
        QVERIFY(history);
        CallHistory* calls = history->history();
        QTRY_COMPARE(calls->rowCount(), 2);
        QCOMPARE(calls->index(0, CallHistory::NumberColumn).data().toString(), QStringLiteral("1 555-0199"));
        QCOMPARE(calls->index(0, CallHistory::NameColumn).data().toString(), QStringLiteral("Ada Lovelace"));
        QCOMPARE(calls->index(1, CallHistory::NumberColumn).data().toString(), QStringLiteral("0111"));
    }
};

QTEST_MAIN(TestCallers)
#include "tst_callers.moc"
