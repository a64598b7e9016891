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

// A desk taking another desk's calls, against a peer server that sends what a
// real NCID server sent (its transcript, read where it lies).
class TestNcidClient : public QObject
{
    Q_OBJECT

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
        QByteArray log() const
        {
            QFile file(workDir.filePath(QStringLiteral("ringlet.log")));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }
        Call call(int i) const { return calls.at(i).at(0).value<Call>(); }
        QTemporaryDir workDir;
        TempProfile profile;
        MemoryRegistry registry;
        CallDesk desk{profile.store(), registry, QIcon()};
        QSignalSpy calls{&desk, &CallDesk::call};
    };

private slots:
    void init()
    {
        if (!QFile::exists(NcidPeer::transcriptPath()))
            QSKIP("The real server's transcript is not here; its replay is not tested.");
    }

    // The HELLO lines go out at once; the replayed call log is history, not new calls; a message is handed on.
    void startUpTakesNoReplayedCallAsNew()
    {
        NcidPeer::Server peer(NcidPeer::transcriptSession(2));
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QSignalSpy messages(&rig.desk.ncidClient(), &NcidClient::messageCame);
        QVERIFY(messages.wait(3000));
        QCOMPARE(messages[0][0].toString(), QStringLiteral("hello from capture"));
        QCOMPARE(peer.received, (QList<QByteArray>{"HELLO: IDENT: client ringlet 1.0", "HELLO: CMD: no_log"}));
        QTest::qWait(50);
        QCOMPARE(rig.calls.size(), 0);
        QCOMPARE(rig.log(), QByteArray());
    }

    // Taken as an announced call: the phone book's name, else the server's;
    // logged; kept as the previous number. Ring information is passed over.
    void aCallIsTakenAsAnAnnouncedOne()
    {
        const QList<QByteArray> session = NcidPeer::transcriptSession(1);
        NcidPeer::Server peer(session);
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QVERIFY(rig.calls.wait(3000));
        QCOMPARE(rig.call(0).number, QStringLiteral("5550199"));
        QCOMPARE(rig.call(0).name, QStringLiteral("JOHN DOE"));
        QCOMPARE(rig.call(0).source, CallSource::OtherDesk);
        QVERIFY(rig.call(0).asksForAttention);
        QCOMPARE(rig.desk.settings().previousNo, QStringLiteral("5550199"));
        QVERIFY(rig.log().startsWith("5550199 @ ") && rig.log().count('\n') == 1);

        rig.desk.nameCaller(QStringLiteral("5550199"), QStringLiteral("Mum"));
        peer.send(session.join()); // the whole session again, its call among it
        QVERIFY(rig.calls.wait(3000));
        QCOMPARE(rig.calls.size(), 2);
        QCOMPARE(rig.call(1).name, QStringLiteral("Mum"));
    }

    // In Ringlet's words; pairs read by their labels in any order, LF alone;
    // PID and WID are calls; "+" lines, unknown types and the log are not.
    void withheldCallersAndOddLinesAreReadByLabel()
    {
        NcidPeer::Server peer(NcidPeer::transcriptNoteCalls());
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QVERIFY(NcidPeer::waitFor([&] { return rig.calls.size() == 2; }));
        peer.send("+CID: *NMBR*111*\r\nFOO: *NMBR*222*\r\nCIDLOG: *NMBR*333*\r\n"
                  "PID: *NAME*<b>Ann</b>*CARI*X*NMBR*OUT-OF-AREA*\n"
                  "WID: *TIME*2331*NMBR*NO-NUMBER*NAME*-*\r\n");
        QVERIFY(NcidPeer::waitFor([&] { return rig.calls.size() == 4; }));
        QTest::qWait(50);
        QCOMPARE(rig.calls.size(), 4);
        QCOMPARE(rig.call(0).number + '|' + rig.call(0).name, QStringLiteral("5550177|")); // NO NAME
        QCOMPARE(rig.call(1).number + '|' + rig.call(1).name, QStringLiteral("Private|"));
        QCOMPARE(rig.call(2).number + '|' + rig.call(2).name, QStringLiteral("Unavailable|<b>Ann</b>"));
        QCOMPARE(rig.call(3).number + '|' + rig.call(3).name, QStringLiteral("Unavailable|"));
    }

    // Tried again after 2 s doubling up to a minute (here 40 ms up to 160 ms);
    // told once that the server cannot be reached, once that it is back.
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
        for (int i = 0; i < 5; ++i)
            delays << retries[i][0].toInt();
        QCOMPARE(delays, (QList<int>{40, 80, 160, 160, 160}));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems[0][0].value<Problem>().words.contains(QStringLiteral("cannot be reached")));
        QVERIFY(!problems[0][0].value<Problem>().mayBlock);

        NcidPeer::Server back(NcidPeer::transcriptSession(1));
        QVERIFY(back.listen(port));
        QVERIFY(rig.calls.wait(3000));
        QCOMPARE(problems.size(), 2);
        QVERIFY(problems[1][0].value<Problem>().words.contains(QStringLiteral("reached again")));
    }

    // After a quiet spell (here 50 ms): an empty line to a plain server,
    // "REQ: YO" to one that acknowledges, which is taken as lost when silent.
    void quietLinkIsAskedWhetherTheServerIsThere()
    {
        NcidPeer::Server plain({"210 API: 1.5 Feature Set 1 2 3\r\n"});
        NcidPeer::Server acknowledging({"210 API: 1.5 Feature Set 1 2 3 4 5\r\n"});
        QVERIFY(plain.listen() && acknowledging.listen());
        Desk toPlain(plain.address(), {40, 160, 50, 100});
        Desk toAcknowledging(acknowledging.address(), {40, 160, 50, 100});
        QVERIFY(NcidPeer::waitFor([&] { return plain.received.count("") >= 2 && acknowledging.connections == 2; }));
        QVERIFY(acknowledging.received.contains("REQ: YO") && !plain.received.contains("REQ: YO"));
        QCOMPARE(plain.connections, 1);
    }

    // A 10 MB line without an end is dropped as it comes; a flood is read a
    // buffer at a time: memory stays put and the event loop keeps turning.
    void floodingServerIsReadInBoundedPieces()
    {
        NcidPeer::Server peer({"300 End of connection startup\r\n"});
        QVERIFY(peer.listen());
        Desk rig(peer.address());
        QVERIFY(NcidPeer::waitFor([&] { return peer.clientCount() == 1; }));
        const qint64 before = ProcessUsage::residentKb();
        qint64 longestTurnMs = 0;
        QElapsedTimer turn;
        const auto flood = [&](const QByteArray& unit, qint64 total) {
            peer.flood(unit, total);
            turn.start();
            return NcidPeer::waitFor(
                [&] { return (longestTurnMs = qMax(longestTurnMs, turn.restart())), !peer.isFlooding(); }, 30000);
        };
        QVERIFY(flood(QByteArray(64 * 1024, 'x'), 10 * 1024 * 1024));
        peer.send("\r\nCID: *NMBR*5550199*NAME*AFTER*\r\n");
        QVERIFY(rig.calls.wait(3000));
        QCOMPARE(rig.call(0).name, QStringLiteral("AFTER"));
        QVERIFY(flood("CIDINFO: *LINE*POTS*RING*1*TIME*23:36:27*\r\n", 20 * 1024 * 1024));
        QVERIFY(rig.desk.ncidClient().isConnected());
        QVERIFY2(ProcessUsage::residentKb() - before < 4 * 1024, "resident memory grew");
        QVERIFY2(longestTurnMs < 200, qPrintable(QString::number(longestTurnMs)));
    }
};

QTEST_MAIN(TestNcidClient)
#include "tst_ncidclient.moc"
