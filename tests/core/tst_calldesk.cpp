#include "MemoryRegistry.h"
#include "ModemSimulator.h"
#include "TempProfile.h"

#include "core/CallDesk.h"
#include "link/ModemTrace.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The program without a window: a check's steps, its call and its problems
// come out of the desk as signals, over a real pseudo-terminal.
class TestCallDesk : public QObject
{
    Q_OBJECT

private:
    struct Desk
    {
        explicit Desk(const QString& port)
        {
            QDir::setCurrent(workDir.path());
            desk.settings().port = port;
            desk.applyPortSettings();
            desk.checkCycle().setStepMs(50);
        }
        QTemporaryDir workDir;
        TempProfile profile;
        MemoryRegistry registry;
        CallDesk desk{profile.store(), registry, QIcon()};
    };

    static QStringList traced;
    static void keepTrace(QtMsgType, const QMessageLogContext& context, const QString& text)
    {
        if (QLatin1String(context.category) == QLatin1String("ringlet.modem"))
            traced << text;
    }

private slots:
    void checkStepsAndItsCallComeAsSignals()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("0123 456789")});
        QVERIFY(modem.start());
        Desk rig(modem.devicePath());
        QSignalSpy steps(&rig.desk.checkCycle(), &CheckCycle::stepStarted);
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        rig.desk.check(CheckTrigger::Timer);
        QVERIFY(rig.desk.isChecking()); // it goes on from the event loop
        QVERIFY(calls.wait(2000));
        QCOMPARE(steps.size(), 2);
        QCOMPARE(steps[0][0].toString(), QStringLiteral("Opening COM port..."));
        QCOMPARE(steps[1][0].toString(), QStringLiteral("Sending Command..."));
        const Call call = calls[0][0].value<Call>();
        QCOMPARE(call.number, QStringLiteral("0123 456789"));
        QCOMPARE(call.trigger, CheckTrigger::Timer);
        QCOMPARE(call.source, CallSource::Query);
        QVERIFY(call.asksForAttention); // a new number nobody asked for, nobody looking
        QCOMPARE(rig.desk.currentCall().number, call.number);
        QCOMPARE(rig.desk.settings().previousNo, call.number);
    }

    // Someone waits for a check by hand; nobody waits for a timed one.
    void failedChecksAreProblemsThatBlockOnlyForAHand()
    {
        Desk rig(QStringLiteral("/dev/ringlet-no-such-port"));
        QSignalSpy problems(&rig.desk, &CallDesk::problem);
        rig.desk.check(CheckTrigger::Button);
        rig.desk.check(CheckTrigger::Timer);
        QCOMPARE(problems.size(), 2);
        const Problem byHand = problems[0][0].value<Problem>();
        const Problem timed = problems[1][0].value<Problem>();
        QCOMPARE(byHand.cause, Problem::Cause::Check);
        QVERIFY2(byHand.words.contains(QStringLiteral("ringlet-no-such-port")), qPrintable(byHand.words));
        QVERIFY(byHand.mayBlock);
        QVERIFY(!timed.mayBlock);
        QVERIFY(!rig.desk.isChecking());
        QCOMPARE(rig.desk.currentCall().number, QString());
    }

    // What a user with a stubborn modem can send: every byte each way, escaped.
    void modemDialogueIsTraced()
    {
        ModemSimulator modem({QStringLiteral("--numbers"), QStringLiteral("5550199 Jos\\xE9")});
        QVERIFY(modem.start());
        Desk rig(modem.devicePath());
        QLoggingCategory::setFilterRules(QStringLiteral("ringlet.modem=true"));
        const QtMessageHandler previous = qInstallMessageHandler(keepTrace);
        QSignalSpy calls(&rig.desk, &CallDesk::call);
        rig.desk.check(CheckTrigger::Button);
        const bool called = calls.wait(2000);
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(called);
        const QString sent = traced.filter(QStringLiteral(" >> ")).join(QLatin1Char('\n'));
        const QString received = traced.filter(QStringLiteral(" << ")).join(QLatin1Char('\n'));
        QVERIFY2(sent.contains(QStringLiteral("AT\\\\L1\\r\\n")), qPrintable(sent));
        QVERIFY2(received.contains(QStringLiteral("CALLING 5550199 Jos\\xE9\\r\\n")), qPrintable(received));
    }
};

QStringList TestCallDesk::traced;

QTEST_MAIN(TestCallDesk)
#include "tst_calldesk.moc"
