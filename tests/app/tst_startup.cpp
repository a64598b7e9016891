// The real program started and ended over a settings folder in odd states, on
// a real X server (tests/support/run-under-x11): what the user gets to see of
// it are its windows, a message box included.
#include "X11Desktop.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const QByteArray Instance = "ringlet";

// The program with its settings folder in `configHome`.
class Ringlet : public QProcess
{
public:
    explicit Ringlet(const QString& configHome, const QString& workDir)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        setProcessEnvironment(environment);
        setWorkingDirectory(workDir);
        start(QStringLiteral(RINGLET_PATH), {});
    }
    ~Ringlet() override
    {
        if (state() != NotRunning) {
            kill();
            waitForFinished();
        }
    }
};

bool windowsShown(int count)
{
    return X11Desktop::waitForClients(Instance, count, 10000).size() >= count;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QStringList tree(const QString& root)
{
    QStringList paths;
    QDirIterator it(root, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next().mid(root.size());
    paths.sort();
    return paths;
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;
    QTemporaryDir m_work;

    QString folder() const { return m_config.filePath(QStringLiteral("Brackwen")); }
    QString inFolder(const char* name) const { return folder() + QLatin1Char('/') + QLatin1String(name); }

    // A chosen port: the main window comes up without the first-run configuration.
    void writeSettings()
    {
        QVERIFY(QDir().mkpath(folder()));
        writeFile(inFolder("ringlet.conf"), "[ringlet]\nport=ttyS0\n");
    }

private slots:
    void initTestCase() { QVERIFY(X11Desktop::waitForWindowManager(10000)); }

    void cleanup()
    {
        QTRY_VERIFY_WITH_TIMEOUT(X11Desktop::waitForClients(Instance, 1, 0).isEmpty(), 5000);
        QDir(m_config.path()).removeRecursively();
        QDir().mkpath(m_config.path());
    }

    // Nothing found in the folder keeps the window from coming up.
    void windowComesUpWhateverTheFolderHolds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("request file is a named pipe") << QStringLiteral("ringlet.activate") << QByteArray("fifo");
        QTest::newRow("lock is empty (power loss)") << QStringLiteral("ringlet.lock") << QByteArray();
        QTest::newRow("lock holds random bytes") << QStringLiteral("ringlet.lock") << QByteArray("\x01\xfe\x80zz", 5);
        QTest::newRow("lock names another machine")
            << QStringLiteral("ringlet.lock")
            << QByteArray("4242\nringlet\nanother-" + QSysInfo::machineHostName().toUtf8() + "\n");
    }

    void windowComesUpWhateverTheFolderHolds()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        writeSettings();
        const QString path = folder() + QLatin1Char('/') + name;
        if (content == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            writeFile(path, content);

        Ringlet ringlet(m_config.path(), m_work.path());
        QVERIFY(windowsShown(1));
        ringlet.terminate();
        QVERIFY(ringlet.waitForFinished(10000));
        QCOMPARE(ringlet.exitCode(), 0);
    }

    void secondStartThatCannotReachTheFirstSaysSo()
    {
        writeSettings();
        // A folder with something in it is not removed to make the request file.
        QVERIFY(QDir().mkpath(inFolder("ringlet.activate")));
        writeFile(inFolder("ringlet.activate/kept"), "kept");
        Ringlet first(m_config.path(), m_work.path());
        QVERIFY(windowsShown(1));

        Ringlet second(m_config.path(), m_work.path());
        QVERIFY(windowsShown(2)); // the second's message box
        QCOMPARE(second.state(), QProcess::Running);
        QVERIFY(QFile::exists(inFolder("ringlet.activate/kept")));
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }

    // The first-run configuration closed without a port: nothing is stored, and
    // nothing is left of the run.
    void firstRunClosedLeavesNothingBehind_data()
    {
        QTest::addColumn<bool>("folderBefore");
        QTest::newRow("no folder before") << false;
        QTest::newRow("folder with files before") << true;
    }

    void firstRunClosedLeavesNothingBehind()
    {
        QFETCH(bool, folderBefore);
        if (folderBefore) {
            QVERIFY(QDir().mkpath(folder()));
            writeFile(inFolder("other.conf"), "[other]\n");
            writeFile(inFolder("ringlet.activate"), QByteArray());
        }
        const QStringList before = tree(m_config.path());

        Ringlet ringlet(m_config.path(), m_work.path());
        const QList<X11Desktop::Window> windows = X11Desktop::waitForClients(Instance, 1, 10000);
        QCOMPARE(windows.size(), 1);
        QVERIFY(QFileInfo::exists(inFolder("ringlet.lock")));
        X11Desktop::requestClose(windows[0]);
        QVERIFY(ringlet.waitForFinished(10000));
        QCOMPARE(ringlet.exitCode(), 0);
        QCOMPARE(tree(m_config.path()), before);
    }

    // The close found the settings cannot be stored; at log-out a second
    // termination request must not wait for the box's OK.
    void terminationEndsTheStoreFailureNotice()
    {
        writeSettings();
        Ringlet ringlet(m_config.path(), m_work.path());
        QVERIFY(windowsShown(1));
        // A file where the folder was stops even root.
        QVERIFY(QDir(m_config.path()).rename(QStringLiteral("Brackwen"), QStringLiteral("moved")));
        writeFile(folder(), QByteArray());

        ringlet.terminate();
        QVERIFY(windowsShown(2)); // the window and the box
        ringlet.terminate();
        QVERIFY(ringlet.waitForFinished(5000));
        QCOMPARE(ringlet.exitCode(), 0);
    }
};

QTEST_MAIN(TestStartup)

#include "tst_startup.moc"
