#include "MemoryRegistry.h"
#include "NcidPeer.h"
#include "TempProfile.h"

#include "core/CallDesk.h"
#include "net/NcidServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

// A desk serving its modem's calls, against peer clients that send what a
// real client sent (the transcript, read where it lies).
class TestNcidServer : public QObject
{
    Q_OBJECT

    struct Desk
    {
        Desk()
        {
            QDir::setCurrent(workDir.path());
            desk.settings().logFlags = LogFlags::EnableLog;
            desk.ncidServer().setHelloMs(20);
            desk.settings().ncidListen = QStringLiteral("127.0.0.1:%1").arg(port);
            desk.applyAutomation();
        }
        quint16 port = NcidPeer::freePort();
        QTemporaryDir workDir;
        TempProfile profile;
        MemoryRegistry registry;
        CallDesk desk{profile.store(), registry, QIcon()};
    };

private slots:
    // Greeting, HELLO lines read, the log's calls with the phone book's names
    // (a check that found none left out), the end; "no_log" gets none;
    // "REQ: YO" is acknowledged, the rest passed over.
    void startUpServesTheLogsCalls()
    {
        if (!QFile::exists(NcidPeer::transcriptPath()))
            QSKIP("The real client's lines are in the transcript, which is not here.");
        Desk a;
        QFile log(a.workDir.filePath(QStringLiteral("ringlet.log")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(
            "5550199 @ 12/07/26 23:30:05\r\nCan't find string @ 12/07/26 23:31:00\r\nPrivate @ 12/07/26 23:32:10\r\n");
        log.close();
        a.desk.nameCaller(QStringLiteral("5550199"), QStringLiteral("Mum"));
        NcidPeer::Client capture;
        QVERIFY(capture.connectTo(a.port, NcidPeer::transcriptSession(1, 'C').join()));
        QVERIFY(capture.waitForLine("300 "));
        QCOMPARE(capture.lines,
                 (QList<QByteArray>{"200 Server: ringlet (Ringlet) 1.0", "210 API: 1.5 Feature Set 1 4",
                                    "CIDLOG: *DATE*12072026*TIME*2330*LINE*-*NMBR*5550199*MESG*NONE*NAME*Mum*",
                                    "CIDLOG: *DATE*12072026*TIME*2332*LINE*-*NMBR*PRIVATE*MESG*NONE*NAME*NO NAME*",
                                    "250 End of call log", "300 End of connection startup"}));
        capture.send(NcidPeer::transcriptSession(2, 'C').mid(1).join()); // REQ: YO, MSG:, an empty line, GOODBYE
        QVERIFY(capture.waitForLine("ACK: "));
        QTest::qWait(50);
        QCOMPARE(capture.served(), QList<QByteArray>{"ACK: REQ: YO"});
        QVERIFY(capture.isConnected());

        NcidPeer::Client noLog;
        QVERIFY(noLog.connectTo(a.port, NcidPeer::transcriptSession(3, 'C').join()));
        QVERIFY(noLog.waitForLine("300 "));
        QCOMPARE(noLog.lines.mid(2), (QList<QByteArray>{"251 Call log not sent", "300 End of connection startup"}));
    }

    // Every call of the desk's own modem, a withheld one in the protocol's
    // words; not a check that found no number, nor another desk's call.
    void servesItsOwnModemsCallsOnly()
    {
        Desk a;
        NcidPeer::Client client;
        QVERIFY(client.connectTo(a.port));
        QVERIFY(client.waitForLine("300 "));
        CheckCycle& modem = a.desk.checkCycle();
        modem.takeAnnouncement("5550199", QStringLiteral("JOHN DOE"));
        modem.takeAnnouncement("Private", QString());
        modem.takeAnnouncement("BUFFER EMPTY", QString());
        modem.takeOtherDeskCall("5550123", QStringLiteral("FROM B"));
        modem.takeAnnouncement("5550100", QString());
        QVERIFY(NcidPeer::waitFor([&] { return client.served().size() == 3; }));
        QTest::qWait(50);
        const QByteArray today = QDate::currentDate().toString(QStringLiteral("MMddyyyy")).toLatin1();
        const QList<QByteArray> served = client.served();
        QCOMPARE(served.size(), 3);
        QVERIFY2(served[0].startsWith("CID: *DATE*" + today + "*TIME*"), served[0]);
        QVERIFY2(served[0].endsWith("*LINE*-*NMBR*5550199*MESG*NONE*NAME*JOHN DOE*"), served[0]);
        QVERIFY2(served[1].endsWith("*NMBR*PRIVATE*MESG*NONE*NAME*NO NAME*"), served[1]);
        QVERIFY2(served[2].endsWith("*NMBR*5550100*MESG*NONE*NAME*NO NAME*"), served[2]);

        // A blocked caller this desk hung up on goes out as a HUP: line.
        a.desk.ncidServer().serveCall(QStringLiteral("5550177"), QString(), QDateTime::currentDateTime(), true);
        QVERIFY(NcidPeer::waitFor([&] { return client.served().size() == 4; }));
        QVERIFY2(client.served()[3].startsWith("HUP: *DATE*"), client.served()[3]);
    }

    // Dropped once its queue passes 1 MiB; a client that reads gets every call.
    void clientThatNeverReadsIsDropped()
    {
        Desk a;
        NcidPeer::Client reader;
        NcidPeer::Client sleeper(false);
        QVERIFY(reader.connectTo(a.port) && sleeper.connectTo(a.port));
        QVERIFY(reader.waitForLine("300 "));
        int served = 0;
        for (; a.desk.ncidServer().clientCount() == 2 && served < 400000; QTest::qWait(5)) {
            for (int i = 0; i < 500; ++i, ++served)
                a.desk.ncidServer().serveCall(QStringLiteral("5550199"), QString(), QDateTime::currentDateTime());
        }
        QCOMPARE(a.desk.ncidServer().clientCount(), 1);
        QVERIFY(NcidPeer::waitFor([&] { return reader.served().size() == served; }, 20000));
    }

    // The 65th is told why in an alert line and closed; a client's nonsense
    // is passed over, a line longer than any of the protocol's drops it.
    void misbehavingClientsAreRefusedOrDropped()
    {
        Desk a;
        std::vector<std::unique_ptr<NcidPeer::Client>> clients;
        for (int i = 0; i < NcidServer::MostClients - 1; ++i) {
            clients.push_back(std::make_unique<NcidPeer::Client>());
            QVERIFY(clients.back()->connectTo(a.port));
        }
        NcidPeer::Client odd;
        QVERIFY(odd.connectTo(a.port, "\x01\x02 nonsense\r\nCID: *NMBR*999*\r\nREQ: REREAD\n"));
        QVERIFY(NcidPeer::waitFor([&] { return a.desk.ncidServer().clientCount() == 64; }));
        NcidPeer::Client extra;
        QVERIFY(extra.connectTo(a.port));
        QVERIFY(extra.waitForLine("MSG: Too many clients"));
        QVERIFY(NcidPeer::waitFor([&] { return !extra.isConnected(); }));

        clients.front()->send(QByteArray(64 * 1024, 'z'));
        QVERIFY(NcidPeer::waitFor([&] { return a.desk.ncidServer().clientCount() == 63; }));
        a.desk.checkCycle().takeAnnouncement("5550199", QString());
        QVERIFY(odd.waitForLine("CID: "));
    }
};

QTEST_MAIN(TestNcidServer)
#include "tst_ncidserver.moc"
