#include "MainWindowRig.h"
#include "ModemSimulator.h"
#include "NcidPeer.h"

#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "net/NcidServer.h"
#include "ui/CallHistoryDlg.h"

#include <QSignalSpy>
#include <QTest>

// Two desks in one process, each with a profile of its own: A has the modem
// and serves its calls, B takes them from A and shows them with its own names.
class TestTwoDesks : public QObject
{
    Q_OBJECT

private slots:
    void deskBShowsDeskAsCallsWithItsOwnNames()
    {
        ModemSimulator modem({QStringLiteral("--announce"), QStringLiteral("--numbers"), QStringLiteral("5550199")});
        QVERIFY(modem.start());
        const quint16 port = NcidPeer::freePort();
        MainWindowRig a(modem.devicePath());
        a.dlg.settings().anotherPort = modem.devicePath();
        a.dlg.settings().ringCommand = QStringLiteral("AT+VCID=1");
        a.dlg.settings().autoMethod = AutoMethod::Automate | AutoMethod::ModeOnRing;
        a.dlg.settings().ncidListen = QStringLiteral("127.0.0.1:%1").arg(port);
        a.dlg.show();
        // B's working folder is the current one from here on: its log is B's.
        MainWindowRig b(QStringLiteral("/dev/ringlet-no-modem"));
        b.dlg.settings().logFlags = LogFlags::EnableLog;
        b.dlg.settings().ncidServer = QStringLiteral("127.0.0.1:%1").arg(port);
        b.dlg.show();
        QCoreApplication::processEvents(); // the phone books are read once the windows are up
        a.dlg.phoneBook().setName(QStringLiteral("5550199"), QStringLiteral("Name on A"));
        b.dlg.phoneBook().setName(QStringLiteral("5550199"), QStringLiteral("Ada on B"));
        QSignalSpy bCalls(&b.dlg.desk(), &CallDesk::call);
        QVERIFY(NcidPeer::waitFor([&] { return a.dlg.desk().ncidServer().clientCount() == 1; }));
        QTest::qWait(300); // the ring command reached the modem
        modem.ring();
        QVERIFY(bCalls.wait(5000));
        QCOMPARE(a.dlg.numberLabel()->text(), QStringLiteral("5550199"));
        QCOMPARE(b.dlg.numberLabel()->text(), QStringLiteral("5550199"));
        QCOMPARE(b.dlg.numberLabel()->name(), QStringLiteral("Ada on B"));
        QCOMPARE(bCalls[0][0].value<Call>().source, CallSource::OtherDesk);
        QCOMPARE(b.logLines().size(), 1);
        QVERIFY(b.logLines()[0].startsWith("5550199 @ "));

        b.dlg.showCallHistory();
        auto* history = b.dlg.findChild<CallHistoryDlg*>();
        QVERIFY(history);
        QTRY_COMPARE(history->history()->rowCount(), 1);
        QCOMPARE(history->history()->index(0, CallHistory::NameColumn).data().toString(), QStringLiteral("Ada on B"));
        QVERIFY(a.boxes.texts().isEmpty() && b.boxes.texts().isEmpty());
    }
};

QTEST_MAIN(TestTwoDesks)
#include "tst_twodesks.moc"
