#include "MemoryRegistry.h"
#include "NcidPeer.h"
#include "TempProfile.h"

#include "core/CallDesk.h"
#include "net/NcidServer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

// A desk that serves its modem's calls, against peer clients on 127.0.0.1
// that send what a real client sent (its transcript, read where it lies).
class TestNcidServer : public QObject
{
    Q_OBJECT

private:
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
        void writeLog(const QByteArray& lines)
        {
            QFile log(workDir.filePath(QStringLiteral("ringlet.log")));
            QVERIFY(log.open(QIODevice::WriteOnly));
            log.write(lines);
        }
        quint16 port = NcidPeer::freePort();
        QTemporaryDir workDir;
        TempProfile profile;
        MemoryRegistry registry;
        CallDesk desk{profile.store(), registry, QIcon()};
    };

    static QList<QByteArray> afterStartup(const NcidPeer::Client& client)
    {
        return client.lines.mid(client.lines.indexOf("300 End of connection startup") + 1);
    }

    static QByteArray today()
    {
        return QDate::currentDate().toString(QStringLiteral("MMddyyyy")).toLatin1();
    }

private slots:
    // Greeting, the client's HELLO lines read, the log's calls with the phone
    // book's names (a check that found no number is none), the end of start-up;
    // "no_log" gets none; "REQ: YO" is acknowledged, the rest passed over.
    void startUpServesTheLogsCalls()
    {
        if (!QFile::exists(NcidPeer::transcriptPath()))
            QSKIP("The real client's lines are in the transcript, which is not here.");
        Desk a;
        a.writeLog("5550199 @ 12/07/26 23:30:05\r\nCan't find string @ 12/07/26 23:31:00\r\n"
                   "Private @ 12/07/26 23:32:10\r\n");
        a.desk.nameCaller(QStringLiteral("5550199"), QStringLiteral("Mum"));
        NcidPeer::Client capture;
        QVERIFY(capture.connectTo(a.port, NcidPeer::transcriptSession(1, 'C').join()));
        QVERIFY(capture.waitForLine("300 "));
        QCOMPARE(capture.lines, (QList<QByteArray>{
                                    "200 Server: ringlet (Ringlet) 1.0",
                                    "210 API: 1.5 Feature Set 1 4",
                                    "CIDLOG: *DATE*12072026*TIME*2330*LINE*-*NMBR*5550199*MESG*NONE*NAME*Mum*",
                                    "CIDLOG: *DATE*12072026*TIME*2332*LINE*-*NMBR*PRIVATE*MESG*NONE*NAME*NO NAME*",
                                    "250 End of call log",
                                    "300 End of connection startup",
                                }));
        // REQ: YO, a MSG:, an empty line and GOODBYE, as the real client sent them.
        capture.send(NcidPeer::transcriptSession(2, 'C').mid(1).join());
        QVERIFY(capture.waitForLine("ACK: "));
        QTest::qWait(50);
        QCOMPARE(afterStartup(capture), QList<QByteArray>{"ACK: REQ: YO"});
        QVERIFY(capture.isConnected());

        NcidPeer::Client noLog;
        QVERIFY(noLog.connectTo(a.port, NcidPeer::transcriptSession(3, 'C').join()));
        QVERIFY(noLog.waitForLine("300 "));
        QCOMPARE(noLog.lines.mid(2), (QList<QByteArray>{"251 Call log not sent", "300 End of connection startup"}));
    }

    // Every call of the desk's own modem, announced or asked for, the
    // withheld one in the protocol's words; not a check that found no number,
    // nor a call another desk told of (no loops).
    void servesItsOwnModemsCallsOnly()
    {
        Desk a;
        NcidPeer::Client client;
        QVERIFY(client.connectTo(a.port));
        QVERIFY(client.waitForLine("300 "));
        a.desk.checkCycle().takeAnnouncement("5550199", QStringLiteral("JOHN DOE"));
        a.desk.checkCycle().takeAnnouncement("Private", QString());
        a.desk.checkCycle().takeAnnouncement("BUFFER EMPTY", QString());
        a.desk.checkCycle().takeOtherDeskCall("5550123", QStringLiteral("FROM B"));
        a.desk.checkCycle().takeAnnouncement("5550100", QString());
        QVERIFY(NcidPeer::waitFor([&] { return afterStartup(client).size() >= 3; }));
        QTest::qWait(50);
        const QByteArray date = "*DATE*" + today() + "*TIME*";
        const QList<QByteArray> served = afterStartup(client);
        QCOMPARE(served.size(), 3);
        QVERIFY2(served[0].startsWith("CID: " + date) && served[0].endsWith("*LINE*-*NMBR*5550199*MESG*NONE*NAME*JOHN DOE*"),
                 served[0]);
        QVERIFY2(served[1].endsWith("*NMBR*PRIVATE*MESG*NONE*NAME*NO NAME*"), served[1]);
        QVERIFY2(served[2].endsWith("*NMBR*5550100*MESG*NONE*NAME*NO NAME*"), served[2]);
    }

    // One that never reads is let go once its queue passes 1 MiB; one that
    // reads gets every call.
    void clientThatNeverReadsIsDropped()
    {
        Desk a;
        NcidPeer::Client reader;
        NcidPeer::Client sleeper(false);
        QVERIFY(reader.connectTo(a.port));
        QVERIFY(sleeper.connectTo(a.port));
        QVERIFY(reader.waitForLine("300 "));
        QCOMPARE(a.desk.ncidServer().clientCount(), 2);
        int served = 0;
        while (a.desk.ncidServer().clientCount() == 2 && served < 400000) {
            for (int i = 0; i < 500; ++i, ++served)
                a.desk.ncidServer().serveCall(QStringLiteral("5550199"), QString(), QDateTime::currentDateTime());
            QTest::qWait(5);
        }
        QCOMPARE(a.desk.ncidServer().clientCount(), 1);
        QVERIFY(NcidPeer::waitFor([&] { return afterStartup(reader).size() == served; }, 20000));
        QVERIFY(reader.isConnected());
    }

    // The 65th client is told why in an alert line and closed; the 64 stay.
    void sixtyFifthClientIsRefused()
    {
        Desk a;
        std::vector<std::unique_ptr<NcidPeer::Client>> clients;
        for (int i = 0; i < NcidServer::MostClients; ++i) {
            clients.push_back(std::make_unique<NcidPeer::Client>());
            QVERIFY(clients.back()->connectTo(a.port));
        }
        QVERIFY(NcidPeer::waitFor([&] { return a.desk.ncidServer().clientCount() == 64; }));
        NcidPeer::Client extra;
        QVERIFY(extra.connectTo(a.port));
        QVERIFY(extra.waitForLine("MSG: "));
        QVERIFY(extra.lines[0].contains("Too many clients"));
        QVERIFY(NcidPeer::waitFor([&] { return !extra.isConnected(); }));
        QCOMPARE(a.desk.ncidServer().clientCount(), 64);
        QVERIFY(clients.front()->waitForLine("300 "));
    }

    // Lines no client sends are passed over; a line longer than any of the
    // protocol's ends that client alone.
    void garbageFromAClientIsIgnoredOrDropped()
    {
        Desk a;
        NcidPeer::Client odd;
        NcidPeer::Client flooding;
        QVERIFY(odd.connectTo(a.port, "\x01\x02 nonsense\r\nCID: *NMBR*999*\r\nREQ: REREAD\n"));
        QVERIFY(flooding.connectTo(a.port));
        flooding.send(QByteArray(64 * 1024, 'z'));
        QVERIFY(NcidPeer::waitFor([&] { return !flooding.isConnected(); }));
        QVERIFY(odd.waitForLine("300 "));
        a.desk.checkCycle().takeAnnouncement("5550199", QString());
        QVERIFY(odd.waitForLine("CID: "));
        QCOMPARE(a.desk.ncidServer().clientCount(), 1);
    }
};

QTEST_MAIN(TestNcidServer)
#include "tst_ncidserver.moc"
