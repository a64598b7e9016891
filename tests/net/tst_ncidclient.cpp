#include "MemoryRegistry.h"
#include "NcidPeer.h"
#include "ProcessUsage.h"
#include "TempProfile.h"

#include "core/CallDesk.h"
#include "net/NcidClient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// A desk that takes another desk's calls, against a peer server that sends
// what a real NCID server sent (its transcript, read where it lies).
class TestNcidClient : public QObject
{
    Q_OBJECT

private:
    struct Desk
    {
        explicit Desk(const QString& server, const NcidClient::Timings& timings = {40, 160, 15 * 60 * 1000, 2000})
        {
            QDir::setCurrent(workDir.path());
            desk.settings().logFlags = LogFlags::EnableLog;
            desk.ncidClient().setTimings(timings);
            desk.settings().ncidServer = server;
            desk.applyAutomation();
        }
        QList<QByteArray> logLines() const
        {
            QFile log(workDir.filePath(QStringLiteral("ringlet.log")));
            if (!log.open(QIODevice::ReadOnly))
                return {};
            QList<QByteArray> lines = log.readAll().split('\n');
            lines.removeLast(); // after the last line end
            return lines;
        }
        QTemporaryDir workDir;
        TempProfile profile;
        MemoryRegistry registry;
        CallDesk desk{profile.store(), registry, QIcon()};
    };

    static void needTranscript()
    {
        if (!QFile::exists(NcidPeer::transcriptPath()))
            QSKIP("The real server's transcript is not here; its replay is not tested.");
    }

    static QList<Call> callsOf(const QSignalSpy& spy)
    {
        QList<Call> calls;
        for (const QList<QVariant>& signal : spy)
            calls << signal[0].value<Call>();
        return calls;
    }

private slots:
    // The HELLO lines go out at once; a replayed call log is history, never
    // new calls; a message is handed on.
    void startUpTakesNoReplayedCallAsNew()
    {
        needTranscript();
        NcidPeer::Server peer(NcidPeer::transcriptSession(2));
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        QSignalSpy started(&rig.desk.ncidClient(), &NcidClient::started);
        QSignalSpy messages(&rig.desk.ncidClient(), &NcidClient::messageCame);
        QVERIFY(messages.wait(3000));
        QCOMPARE(started.size(), 1);
        QCOMPARE(messages[0][0].toString(), QStringLiteral("hello from capture"));
        QCOMPARE(peer.received, (QList<QByteArray>{"HELLO: IDENT: client ringlet 1.0", "HELLO: CMD: no_log"}));
        QTest::qWait(100);
        QCOMPARE(calls.size(), 0);
        QCOMPARE(rig.logLines(), QList<QByteArray>());
    }

    // Shown with the phone book's name (the server's when the book has none),
    // logged, kept as the previous number; the ring information is passed over.
    void aCallIsTakenAsAnAnnouncedOne()
    {
        needTranscript();
        const QList<QByteArray> session = NcidPeer::transcriptSession(1);
        NcidPeer::Server peer(session);
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        QVERIFY(calls.wait(3000));
        QTest::qWait(50);
        QCOMPARE(calls.size(), 1);
        const Call call = calls[0][0].value<Call>();
        QCOMPARE(call.number, QStringLiteral("5550199"));
        QCOMPARE(call.name, QStringLiteral("JOHN DOE"));
        QCOMPARE(call.source, CallSource::OtherDesk);
        QVERIFY(call.asksForAttention);
        QCOMPARE(rig.desk.settings().previousNo, QStringLiteral("5550199"));
        QCOMPARE(rig.logLines().size(), 1);
        QVERIFY(rig.logLines()[0].startsWith("5550199 @ "));

        rig.desk.nameCaller(QStringLiteral("5550199"), QStringLiteral("Mum"));
        const QByteArray callLine =
            *std::find_if(session.begin(), session.end(), [](const QByteArray& line) { return line.startsWith("CID: "); });
        peer.send(callLine);
        QVERIFY(calls.wait(3000));
        QCOMPARE(calls[1][0].value<Call>().name, QStringLiteral("Mum"));
        QVERIFY(!calls[1][0].value<Call>().asksForAttention); // the same number again
    }

    void withheldAndNamelessCallersShowInRingletsWords()
    {
        needTranscript();
        NcidPeer::Server peer(NcidPeer::transcriptNoteCalls());
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        QVERIFY(NcidPeer::waitFor([&] { return calls.size() == 2; }));
        QCOMPARE(callsOf(calls)[0].number, QStringLiteral("5550177"));
        QCOMPARE(callsOf(calls)[0].name, QString()); // NO NAME
        QCOMPARE(callsOf(calls)[1].number, QStringLiteral("Private"));
        QCOMPARE(callsOf(calls)[1].name, QString());
        peer.send("CID: *DATE*12072026*TIME*2333*LINE*POTS*NMBR*OUT-OF-AREA*MESG*NONE*NAME*NO NAME*\r\n"
                  "CID: *DATE*12072026*TIME*2334*LINE*POTS*NMBR*NO-NUMBER*MESG*NONE*NAME*-*\r\n");
        QVERIFY(NcidPeer::waitFor([&] { return calls.size() == 4; }));
        QCOMPARE(callsOf(calls)[2].number, QStringLiteral("Unavailable"));
        QCOMPARE(callsOf(calls)[3].number, QStringLiteral("Unavailable"));
    }

    // Pairs in any order, labels not known, LF alone; call-waiting and
    // smartphone calls are calls; server-to-server lines, lines not known and
    // text that looks like markup are nothing more than they are.
    void callLinesAreReadByTheirLabels()
    {
        NcidPeer::Server peer({"300 End of connection startup\r\n"});
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        QVERIFY(NcidPeer::waitFor([&] { return rig.desk.ncidClient().isConnected(); }));
        peer.send("+CID: *DATE*12072026*TIME*2330*NMBR*111*NAME*RELAYED*\r\n"
                  "FOO: *NMBR*222*\r\n"
                  "CIDLOG: *DATE*12072026*TIME*2330*NMBR*333*NAME*OLD*\r\n"
                  "PID: *NAME*<b>Ann</b>*CARI*X*NMBR*5550144*DATE*12072026*\n"
                  "WID: *NMBR*5550155*TIME*2331*\r\n");
        QVERIFY(NcidPeer::waitFor([&] { return calls.size() == 2; }));
        QTest::qWait(50);
        QCOMPARE(calls.size(), 2);
        QCOMPARE(callsOf(calls)[0].number, QStringLiteral("5550144"));
        QCOMPARE(callsOf(calls)[0].name, QStringLiteral("<b>Ann</b>"));
        QCOMPARE(callsOf(calls)[1].number, QStringLiteral("5550155"));
    }

    // Tried again after 2 s, doubled up to a minute (here 40 ms doubled up to 160 ms);
    // that the server cannot be reached is told once, and once that it is back.
    void lostServerIsTriedAgainAndToldOnce()
    {
        NcidPeer::Server peer({"200 Server: ncidd (NCID) 1.6\r\n"});
        QVERIFY(peer.listen());
        const quint16 port = peer.port();
        Desk rig(peer.address());
        QSignalSpy problems(&rig.desk, &CallDesk::problem);
        QSignalSpy retries(&rig.desk.ncidClient(), &NcidClient::retryScheduled);
        QVERIFY(NcidPeer::waitFor([&] { return peer.clientCount() == 1; }));
        peer.close();
        peer.dropClients();
        QVERIFY(NcidPeer::waitFor([&] { return retries.size() >= 5; }));
        QList<int> delays;
        for (const QList<QVariant>& retry : retries)
            delays << retry[0].toInt();
        QCOMPARE(delays.mid(0, 5), (QList<int>{40, 80, 160, 160, 160}));
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems[0][0].value<Problem>().words.contains(QStringLiteral("cannot be reached")),
                 qPrintable(problems[0][0].value<Problem>().words));
        QVERIFY(!problems[0][0].value<Problem>().mayBlock);

        NcidPeer::Server back({"200 Server: ncidd (NCID) 1.6\r\n",
                               "CID: *DATE*12072026*TIME*2330*NMBR*5550199*NAME*JOHN DOE*\r\n"});
        QVERIFY(back.listen(port));
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        QVERIFY(calls.wait(3000));
        QCOMPARE(problems.size(), 2);
        QCOMPARE(problems[1][0].value<Problem>().cause, Problem::Cause::Network);
        QVERIFY(problems[1][0].value<Problem>().words.contains(QStringLiteral("reached again")));
    }

    // After a quiet spell (15 minutes, here 50 ms): an empty line to a plain
    // server; "REQ: YO" to one that acknowledges, which must answer it in
    // time or is taken as lost.
    void quietLinkIsAskedWhetherTheServerIsThere()
    {
        NcidPeer::Server plain({"210 API: 1.5 Feature Set 1 2 3\r\n"});
        QVERIFY(plain.listen());
        Desk toPlain(plain.address(), {40, 160, 50, 100});
        QVERIFY(NcidPeer::waitFor([&] { return plain.received.count("") >= 2; }));
        QCOMPARE(plain.connections(), 1);

        NcidPeer::Server acknowledging({"210 API: 1.5 Feature Set 1 2 3 4 5\r\n"});
        QVERIFY(acknowledging.listen());
        Desk toAcknowledging(acknowledging.address(), {40, 160, 50, 100});
        QVERIFY(NcidPeer::waitFor([&] { return acknowledging.received.contains("REQ: YO"); }));
        QVERIFY(NcidPeer::waitFor([&] { return acknowledging.connections() == 2; }));
        QVERIFY(!plain.received.contains("REQ: YO"));
    }

    // A line of 10 MB without an end is dropped as it comes, and a flood of
    // lines is taken a buffer at a time: memory stays put, the event loop turns.
    void floodingServerIsReadInBoundedPieces()
    {
        NcidPeer::Server peer({"300 End of connection startup\r\n"});
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        QVERIFY(NcidPeer::waitFor([&] { return rig.desk.ncidClient().isConnected(); }));
        const qint64 before = ProcessUsage::residentKb();
        qint64 longestTurnMs = 0;
        QElapsedTimer turn;
        turn.start();
        const auto floodAndWatch = [&](const QByteArray& unit, qint64 total) {
            peer.flood(unit, total);
            return NcidPeer::waitFor([&] {
                longestTurnMs = qMax(longestTurnMs, turn.restart());
                return !peer.isFlooding();
            }, 30000);
        };
        QVERIFY(floodAndWatch(QByteArray(64 * 1024, 'x'), 10 * 1024 * 1024));
        peer.send("\r\nCID: *NMBR*5550199*NAME*AFTER*\r\n");
        QVERIFY(calls.wait(3000));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(callsOf(calls)[0].name, QStringLiteral("AFTER"));
        QVERIFY(floodAndWatch("CIDINFO: *LINE*POTS*RING*1*TIME*23:36:27*\r\n", 20 * 1024 * 1024));
        QVERIFY(NcidPeer::waitFor([&] { return rig.desk.ncidClient().isConnected(); }));
        const qint64 grownKb = ProcessUsage::residentKb() - before;
        QVERIFY2(grownKb < 4 * 1024, qPrintable(QString::number(grownKb)));
        QVERIFY2(longestTurnMs < 200, qPrintable(QString::number(longestTurnMs)));
    }
};

QTEST_MAIN(TestNcidClient)
#include "tst_ncidclient.moc"
