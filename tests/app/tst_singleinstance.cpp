#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {
// The first copy, in a process of its own: this program started with
// "--hold <lock file>" holds the lock and reports each activation on stdout.
int runFirstCopy(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    if (!instance.acquire())
        return 2;
    QObject::connect(&instance, &SingleInstance::activationRequested, [] {
        std::puts("activated");
        std::fflush(stdout);
    });
    std::puts("held");
    std::fflush(stdout);
    return app.exec();
}

bool startFirstCopy(QProcess& first, const QString& lockFile)
{
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), lockFile});
    return first.waitForReadyRead(10000) && first.readLine() == "held\n";
}
} // namespace

// Two copies of the program as two real processes over one lock file.
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
        QVERIFY(!second.acquire());
        QVERIFY(first.waitForReadyRead(10000));
        QCOMPARE(first.readLine(), QByteArray("activated\n"));
        first.kill();
        first.waitForFinished();
    }

    void crashedFirstCopyLeavesNoLockBehind()
    {
        QTemporaryDir dir;
        const QString lockFile = dir.filePath(QStringLiteral("ringlet.lock"));
        QProcess crashed;
        QVERIFY(startFirstCopy(crashed, lockFile));
        crashed.kill(); // SIGKILL: the lock file and the socket stay behind
        crashed.waitForFinished();

        SingleInstance next(lockFile);
        QVERIFY(next.acquire());
        // ...and the new first copy answers the next start.
        QSignalSpy activations(&next, &SingleInstance::activationRequested);
        SingleInstance later(lockFile);
        QVERIFY(!later.acquire());
        QVERIFY(activations.wait(5000));
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0)
        return runFirstCopy(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
