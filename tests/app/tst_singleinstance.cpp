#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {
QByteArray outcomeName(SingleInstance::Outcome outcome)
{
    switch (outcome) {
    case SingleInstance::Outcome::Alone:
        return "alone";
    case SingleInstance::Outcome::HandedOver:
        return "handed over";
    case SingleInstance::Outcome::Unreachable:
        return "unreachable";
    }
    return "?";
}

// A copy in a process of its own: this program started with "--hold <lock
// file>" stays as the first copy and reports each activation on stdout; with
// "--start <lock file>" it reports how a start went and ends.
int runCopy(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    const SingleInstance::Outcome outcome = instance.acquire();
    std::printf("%s\n", outcomeName(outcome).constData());
    std::fflush(stdout);
    if (std::strcmp(argv[1], "--start") == 0 || outcome != SingleInstance::Outcome::Alone)
        return 0;
    QObject::connect(&instance, &SingleInstance::activationRequested, [] {
        std::puts("activated");
        std::fflush(stdout);
    });
    return app.exec();
}

bool startFirstCopy(QProcess& first, const QString& lockFile)
{
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), lockFile});
    return first.waitForReadyRead(10000) && first.readLine() == "alone\n";
}

bool wasActivated(QProcess& first)
{
    // Lines may have come in already while this process waited for another.
    return (first.canReadLine() || first.waitForReadyRead(10000)) && first.readLine() == "activated\n";
}

// A second start in a process of its own, so that this one's event loop can answer it.
QByteArray startAnother(const QString& lockFile)
{
    QProcess later;
    later.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start"), lockFile});
    QSignalSpy finished(&later, &QProcess::finished);
    if (!finished.wait(10000))
        return "still running";
    return later.readAllStandardOutput().trimmed();
}

void replaceWith(const QString& path, const QString& what)
{
    QFile::remove(path);
    QDir(path).removeRecursively();
    if (what == QLatin1String("named pipe"))
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
    else if (what == QLatin1String("empty folder"))
        QDir().mkdir(path);
}
} // namespace

// Copies of the program as real processes over one lock file.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartEndsAndBringsTheFirstToTheFront()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(QStringLiteral("Brackwen/ringlet.lock"));
        QProcess first;
        QVERIFY(startFirstCopy(first, lockFile));

        SingleInstance second(lockFile);
        QCOMPARE(second.acquire(), SingleInstance::Outcome::HandedOver);
        QVERIFY(wasActivated(first));
        first.kill();
        first.waitForFinished();
    }

    void crashedFirstCopyLeavesNoLockBehind()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(QStringLiteral("ringlet.lock"));
        QProcess crashed;
        QVERIFY(startFirstCopy(crashed, lockFile));
        crashed.kill(); // SIGKILL: the lock file and the request file stay behind
        crashed.waitForFinished();

        SingleInstance next(lockFile);
        QCOMPARE(next.acquire(), SingleInstance::Outcome::Alone);
        // ...and the new first copy answers the next start.
        QSignalSpy activations(&next, &SingleInstance::activationRequested);
        QCOMPARE(startAnother(lockFile), QByteArray("handed over"));
        QCOMPARE(activations.count(), 1);
    }

    // Whatever stands at the request file's path, at start or put there later,
    // the next start still reaches the running copy.
    void requestFileOfAnyKindStillReachesTheFirstCopy_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("atStart");
        QTest::newRow("empty folder at start") << QStringLiteral("empty folder") << true;
        QTest::newRow("deleted while running") << QStringLiteral("nothing") << false;
        QTest::newRow("named pipe while running") << QStringLiteral("named pipe") << false;
    }

    void requestFileOfAnyKindStillReachesTheFirstCopy()
    {
        QFETCH(QString, what);
        QFETCH(bool, atStart);
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(QStringLiteral("ringlet.lock"));
        const QString requestFile = dir.filePath(QStringLiteral("ringlet.activate"));
        if (atStart)
            replaceWith(requestFile, what);
        QProcess first;
        QVERIFY(startFirstCopy(first, lockFile));
        if (!atStart) {
            replaceWith(requestFile, what);
            QTRY_VERIFY(QFileInfo(requestFile).isFile());
        }

        QCOMPARE(startAnother(lockFile), QByteArray("handed over"));
        QVERIFY(wasActivated(first));
        first.kill();
        first.waitForFinished();
    }

    // A start whose request gets no answer says so instead of ending as if it had.
    void unansweredRequestIsReported()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(QStringLiteral("ringlet.lock"));
        QProcess first;
        QVERIFY(startFirstCopy(first, lockFile));
        ::kill(pid_t(first.processId()), SIGSTOP);

        SingleInstance second(lockFile);
        QCOMPARE(second.acquire(), SingleInstance::Outcome::Unreachable);
        QVERIFY2(second.unreachableReason().contains(QLatin1String("did not answer")),
                 qPrintable(second.unreachableReason()));
        ::kill(pid_t(first.processId()), SIGCONT);
        first.kill();
        first.waitForFinished();
    }

    // Another machine sharing the folder holds the lock: this machine's first
    // copy runs, and still hands over to the next start on this machine.
    void lockOfAnotherMachineLeavesThisOneGuarded()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(QStringLiteral("ringlet.lock"));
        const QByteArray foreign = "4242\nringlet\nanother-" + QSysInfo::machineHostName().toUtf8() + "\n";
        QFile file(lockFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(foreign);
        file.close();

        SingleInstance first(lockFile);
        QCOMPARE(first.acquire(), SingleInstance::Outcome::Alone);
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        QCOMPARE(startAnother(lockFile), QByteArray("handed over"));
        QCOMPARE(activations.count(), 1);
        // The other machine's copy keeps its lock.
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), foreign);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && (std::strcmp(argv[1], "--hold") == 0 || std::strcmp(argv[1], "--start") == 0))
        return runCopy(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
