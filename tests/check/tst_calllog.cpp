#include "base/RingletError.h"
#include "base/SettingsRecord.h"
#include "check/CallLog.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

class tst_CallLog : public QObject
{
    Q_OBJECT

private slots:
    void formatLine_data();
    void formatLine();
    void appendStampsTheCurrentTime();
    void repeats_data();
    void repeats();
    void existingLogGrowsAtItsEnd();
    void logHeldByAnotherProcess();
    void logInMissingDirectory();
    void failedWrite();
    void lineThatDoesNotFitLeavesTheLogAsItWas();
    void namedPipeIsRefused();
    void terminalIsRefused();

private:
    QString logPath() const { return m_dir.filePath(QString::fromLatin1(CallLog::FileName)); }
    QByteArray logContent() const;
    QString appendError(const QString& path, const QByteArray& text);

    QTemporaryDir m_dir;
};

QByteArray tst_CallLog::logContent() const
{
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The error's description, or an empty string when the append went through.
QString tst_CallLog::appendError(const QString& path, const QByteArray& text)
{
    try {
        CallLog::append(path, text);
    } catch (const RingletError& error) {
        return error.description();
    }
    return QString();
}

void tst_CallLog::formatLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("reference") << QByteArray("0123") << QDateTime(QDate(1999, 12, 5), QTime(14, 3, 27))
                               << QByteArray("0123 @ 12/05/99 14:03:27\r\n");
    QTest::newRow("year 2000, midnight") << QByteArray("BUFFER EMPTY") << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0))
                                         << QByteArray("BUFFER EMPTY @ 01/01/00 00:00:00\r\n");
    QTest::newRow("milliseconds dropped") << QByteArray("5") << QDateTime(QDate(2031, 7, 9), QTime(23, 59, 59, 999))
                                          << QByteArray("5 @ 07/09/31 23:59:59\r\n");
    QTest::newRow("empty text, 8-bit bytes kept")
        << QByteArray() << QDateTime(QDate(2024, 2, 29), QTime(8, 5, 1)) << QByteArray(" @ 02/29/24 08:05:01\r\n");
    QTest::newRow("8-bit text kept") << QByteArray("\xe9\xff") << QDateTime(QDate(2024, 2, 29), QTime(8, 5, 1))
                                     << QByteArray("\xe9\xff @ 02/29/24 08:05:01\r\n");
}

void tst_CallLog::formatLine()
{
    QFETCH(QByteArray, text);
    QFETCH(QDateTime, time);
    QFETCH(QByteArray, line);

    QCOMPARE(CallLog::formatLine(text, time), line);
}

void tst_CallLog::appendStampsTheCurrentTime()
{
    QFile::remove(logPath());
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    CallLog::append(logPath(), "0123");
    CallLog::append(logPath(), "4567");
    const QDateTime after = QDateTime::currentDateTime();

    const QList<QByteArray> lines = logContent().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(2).isEmpty());
    const QRegularExpression form(QStringLiteral("^(\\d{4}) @ (\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d)\r$"));
    const QByteArray texts[] = {"0123", "4567"};
    for (int i = 0; i < 2; ++i) {
        const QRegularExpressionMatch match = form.match(QString::fromLatin1(lines.at(i)));
        QVERIFY2(match.hasMatch(), lines.at(i).constData());
        QCOMPARE(match.captured(1).toLatin1(), texts[i]);
        // Read back as local time, like it was written; the century is the current one.
        const QDateTime stamp = QDateTime::fromString(match.captured(2), QStringLiteral("MM/dd/yy HH:mm:ss"));
        const QDateTime inCentury = stamp.addYears(before.date().year() / 100 * 100 - 1900);
        QVERIFY2(inCentury >= before && inCentury <= after, qPrintable(match.captured(2)));
    }
}

void tst_CallLog::repeats_data()
{
    QTest::addColumn<qint32>("logFlags");
    QTest::addColumn<QByteArray>("storedPreviousNo");
    QTest::addColumn<QByteArrayList>("results");
    QTest::addColumn<QByteArrayList>("logged");

    const qint32 both = LogFlags::EnableLog | LogFlags::IgnoreSame;
    const QByteArray empty("BUFFER EMPTY");
    QTest::newRow("repeats logged without Ignore Same Nomber")
        << LogFlags::EnableLog << QByteArray("NA") << QByteArrayList{"1", "1", "1"} << QByteArrayList{"1", "1", "1"};
    QTest::newRow("A B A") << both << QByteArray("NA") << QByteArrayList{"A", "B", "A"}
                           << QByteArrayList{"A", "B", "A"};
    QTest::newRow("A A B") << both << QByteArray("NA") << QByteArrayList{"A", "A", "B"} << QByteArrayList{"A", "B"};
    QTest::newRow("fixed message twice") << both << QByteArray("NA") << QByteArrayList{empty, empty}
                                         << QByteArrayList{empty};
    QTest::newRow("first equals the stored previous number")
        << both << QByteArray("0123") << QByteArrayList{"0123", "0123"} << QByteArrayList{};
    QTest::newRow("case and trailing characters differ, only the last counts")
        << both << QByteArray("NA") << QByteArrayList{"na", "NA ", "NA"} << QByteArrayList{"na", "NA ", "NA"};
    QTest::newRow("unknown bits ignored") << qint32(0x7ffffffc | LogFlags::EnableLog) << QByteArray("NA")
                                          << QByteArrayList{"A", "A"} << QByteArrayList{"A", "A"};
}

// Drives the log the way a run of checks with logging on does: log unless
// skipped, then remember. Whether logging is on at all is the window's choice
// (tst_checknumber: withLogOffNothingIsWrittenButTheNumberIsRemembered).
void tst_CallLog::repeats()
{
    QFETCH(qint32, logFlags);
    QFETCH(QByteArray, storedPreviousNo);
    QFETCH(QByteArrayList, results);
    QFETCH(QByteArrayList, logged);

    QFile::remove(logPath());
    QByteArray previousNo = storedPreviousNo;
    for (const QByteArray& text : results) {
        if (!CallLog::isRepeatToSkip(logFlags, text, previousNo))
            CallLog::append(logPath(), text);
        previousNo = text;
    }

    QByteArrayList texts;
    const QList<QByteArray> lines = logContent().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.isEmpty())
            texts << line.left(line.indexOf(" @ "));
    }
    QCOMPARE(texts, logged);
    QCOMPARE(QFile::exists(logPath()), !logged.isEmpty());
}

void tst_CallLog::existingLogGrowsAtItsEnd()
{
    const QByteArray old = QByteArray("0555 @ 01/02/03 04:05:06\r\n").repeated(1000) + "no line end";
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(old);
    file.close();

    CallLog::append(logPath(), "0777");

    const QByteArray content = logContent();
    QVERIFY(content.startsWith(old));
    QVERIFY(content.mid(old.size()).startsWith("0777 @ "));
    QVERIFY(content.endsWith("\r\n"));
    QCOMPARE(content.count('\n'), 1001);
}

void tst_CallLog::logHeldByAnotherProcess()
{
    QFile::remove(logPath());
    CallLog::append(logPath(), "before");
    const QByteArray before = logContent();

    // flock takes the lock, then runs cat until its input ends; -o keeps the
    // lock with flock alone, so it goes when flock does.
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-o"), logPath(), QStringLiteral("sh"), QStringLiteral("-c"),
                                           QStringLiteral("echo locked; exec cat")});
    QVERIFY(holder.waitForStarted());
    QByteArray output;
    QTRY_VERIFY((output += holder.readAllStandardOutput()).contains("locked"));

    const QString error = appendError(logPath(), "during");
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished());

    QVERIFY(error.contains(logPath()));
    QVERIFY(error.contains(QStringLiteral("in use by another program")));
    QVERIFY(error.contains(QStringLiteral("not logged")));
    QCOMPARE(logContent(), before);

    CallLog::append(logPath(), "after");
    QVERIFY(logContent().startsWith(before + "after @ "));
}

void tst_CallLog::logInMissingDirectory()
{
    const QString path = m_dir.filePath(QStringLiteral("missing/ringlet.log"));
    const QString error = appendError(path, "0123");
    QVERIFY(error.contains(path));
    QVERIFY(error.contains(QStringLiteral("No such file or directory")));
    QVERIFY(error.contains(QStringLiteral("not logged")));
    QVERIFY(!QFile::exists(path));
}

void tst_CallLog::failedWrite()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    const QString error = appendError(QStringLiteral("/dev/full"), "0123");
    QVERIFY(error.startsWith(QStringLiteral("Couldn't write to the call log /dev/full")));
    QVERIFY(error.contains(QStringLiteral("No space left on device")));
}

// A file size limit makes a real short write, as a nearly full disk does:
// the kernel takes the bytes up to the limit and refuses the rest.
void tst_CallLog::lineThatDoesNotFitLeavesTheLogAsItWas()
{
    QFile::remove(logPath());
    CallLog::append(logPath(), "5550001");
    const QByteArray before = logContent();

    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(before.size() + 10);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &tight) == 0);
    const QString error = appendError(logPath(), "5550002");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY2(error.contains(QStringLiteral("only 10 of")), qPrintable(error));
    QCOMPARE(logContent(), before);
    CallLog::append(logPath(), "5550003");
    QVERIFY(logContent().startsWith(before + "5550003 @ "));
}

// A pipe in the log's place would swallow the line (or fail with "Illegal seek").
void tst_CallLog::namedPipeIsRefused()
{
    const QString path = m_dir.filePath(QStringLiteral("pipe.log"));
    QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {path}), 0);
    const QString error = appendError(path, "0123");
    QVERIFY2(
        error.startsWith(QStringLiteral("Couldn't open the call log %1: it is a named pipe, not a file.").arg(path)),
        qPrintable(error));
}

// A log linked to a terminal would put the line on someone's screen (or fail
// with "Illegal seek"): it is refused as no file.
void tst_CallLog::terminalIsRefused()
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString path = m_dir.filePath(QStringLiteral("terminal.log"));
    QVERIFY(QFile::link(QFile::decodeName(::ptsname(master)), path));
    const QString error = appendError(path, "0123");
    ::close(master);
    QCOMPARE(error,
             QStringLiteral("Couldn't open the call log %1: it is a terminal, not a file. This call was not logged.")
                 .arg(path));

    // /dev/tty is the terminal of whoever started the program, or no device at all.
    const QString tty = m_dir.filePath(QStringLiteral("tty.log"));
    QVERIFY(QFile::link(QStringLiteral("/dev/tty"), tty));
    const QString ttyError = appendError(tty, "0123");
    QVERIFY2(ttyError.endsWith(QStringLiteral(", not a file. This call was not logged.")), qPrintable(ttyError));
}

QTEST_GUILESS_MAIN(tst_CallLog)
#include "tst_calllog.moc"
