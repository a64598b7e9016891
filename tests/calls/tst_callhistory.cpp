#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "check/CallLog.h"
#include "strings.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

// The history over logs written the way the program writes them.
class tst_CallHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void newestFirstWithNames();
    void filterByNumberOrName();
    void linesAppendedWhileOpen();
    void boundedWindow();
    void oldestAndNewestAtOnce();
    void pipeInPlaceOfTheLogNotOpened();
    void rewriteInPlaceReadAnew();
    void longLineCutForDisplay();
    void nulBlockKeepsTheNextCall();
    void numberShownOnlyAsANumberHoldsIt();
    void blockedCallerListedAsHungUpOn();

private:
    QString logPath() const { return m_dir->filePath(QString::fromLatin1(CallLog::FileName)); }
    static QByteArray number(int call) { return "555 " + QByteArray::number(call).rightJustified(6, '0'); }
    static QByteArray line(int call, const QByteArray& text = QByteArray());
    static QString time(int call);
    void writeLog(int calls, const QByteArray& insertAfterHalf = QByteArray());
    static void fetchAll(CallHistory& history);
    // The calls the rows show, by number; -1 for a row that is none.
    static QList<int> callsShown(const CallHistory& history);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_CallHistory::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// Call n came n minutes after New Year 2024, from a number no other call matches.
QByteArray tst_CallHistory::line(int call, const QByteArray& text)
{
    const QDateTime when(QDate(2024, 1, 1), QTime(0, 0));
    return CallLog::formatLine(text.isEmpty() ? number(call) : text, when.addSecs(60LL * call));
}

QString tst_CallHistory::time(int call)
{
    const QByteArray written = line(call);
    return QString::fromLatin1(written.mid(written.size() - 19, 17));
}

void tst_CallHistory::writeLog(int calls, const QByteArray& insertAfterHalf)
{
    QByteArray log;
    for (int call = 0; call < calls; ++call) {
        log += line(call);
        if (call == calls / 2)
            log += insertAfterHalf;
    }
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(log), log.size());
}

void tst_CallHistory::fetchAll(CallHistory& history)
{
    while (history.canFetchMore(QModelIndex()))
        history.fetchMore(QModelIndex());
}

QList<int> tst_CallHistory::callsShown(const CallHistory& history)
{
    QList<int> calls;
    for (int row = 0; row < history.rowCount(); ++row) {
        const QString text = history.index(row, CallHistory::NumberColumn).data().toString();
        calls << (text.startsWith(QLatin1String("555 ")) ? text.mid(4).toInt() : -1);
    }
    return calls;
}

void tst_CallHistory::newestFirstWithNames()
{
    writeLog(1000, "a line someone typed in\r\n");
    PhoneBook book(m_dir->filePath(QStringLiteral("ringlet.vcf")));
    book.setName(QString::fromLatin1(number(7)), QStringLiteral("Seven"));

    CallHistory history(logPath());
    history.setPhoneBook(&book);
    // The newest rows at once, not the whole log.
    QVERIFY(history.rowCount() > 0 && history.rowCount() < 1001);
    QCOMPARE(history.index(0, CallHistory::TimeColumn).data().toString(), time(999));
    QCOMPARE(history.index(0, CallHistory::NumberColumn).data().toString(), QStringLiteral("555 000999"));

    fetchAll(history);
    QList<int> expected;
    for (int call = 999; call >= 0; --call) {
        expected << call;
        if (call == 500)
            expected.insert(expected.size() - 1, -1);
    }
    QCOMPARE(callsShown(history), expected);
    const int typed = int(expected.indexOf(-1));
    QCOMPARE(history.index(typed, CallHistory::NumberColumn).data().toString(),
             QStringLiteral("a line someone typed in"));
    QCOMPARE(history.index(typed, CallHistory::TimeColumn).data().toString(), QString());
    QCOMPARE(history.index(typed, CallHistory::NumberColumn).data(CallHistory::NameableRole).toBool(), false);
    QCOMPARE(history.index(typed + 1, CallHistory::TimeColumn).data().toString(), time(500));

    const int seven = int(expected.indexOf(7));
    QCOMPARE(history.index(seven, CallHistory::NameColumn).data().toString(), QStringLiteral("Seven"));
    QCOMPARE(history.index(seven + 1, CallHistory::NameColumn).data().toString(), QString());
    QSignalSpy named(&history, &QAbstractItemModel::dataChanged);
    book.setName(QString::fromLatin1(number(6)), QStringLiteral("Six"));
    QVERIFY(!named.isEmpty());
    QCOMPARE(history.index(seven + 1, CallHistory::NameColumn).data().toString(), QStringLiteral("Six"));
}

// The two matches lie far apart in a log of several megabytes: the filter reads
// on by itself until it finds them, without the view asking row by row.
void tst_CallHistory::filterByNumberOrName()
{
    writeLog(100000, line(0, "+44 20 7946 0000"));
    PhoneBook book(m_dir->filePath(QStringLiteral("ringlet.vcf")));
    book.setName(QString::fromLatin1(number(3)), QStringLiteral("The Dentist"));
    CallHistory history(logPath());
    history.setPhoneBook(&book);

    history.setFilter(QStringLiteral("20-7946 0000"));
    QTRY_COMPARE(history.rowCount(), 1);
    QCOMPARE(history.index(0, CallHistory::NumberColumn).data().toString(), QStringLiteral("+44 20 7946 0000"));

    history.setFilter(QStringLiteral("dentist"));
    QTRY_COMPARE(callsShown(history), QList<int>{3});
    QCOMPARE(history.statusText(), QString());

    history.setFilter(QStringLiteral("nobody"));
    QTRY_COMPARE(history.statusText(), QString::fromUtf8(Texts::HistoryNoMatch).arg(QStringLiteral("nobody")));
    QCOMPARE(history.rowCount(), 0);

    history.setFilter(QString());
    QCOMPARE(history.index(0, CallHistory::NumberColumn).data().toString(), QStringLiteral("555 099999"));
    QCOMPARE(history.statusText(), QString());
}

void tst_CallHistory::linesAppendedWhileOpen()
{
    CallHistory history(logPath());
    history.setLoggingOn(false);
    QCOMPARE(history.statusText(), QString::fromUtf8(Texts::HistoryLoggingOff));
    history.setLoggingOn(true);
    QVERIFY(history.statusText().contains(QDir::toNativeSeparators(logPath())));
    QCOMPARE(history.rowCount(), 0);

    CallLog::append(logPath(), number(1));
    QTRY_COMPARE(callsShown(history), QList<int>{1});
    QCOMPARE(history.statusText(), QString());
    CallLog::append(logPath(), number(2));
    QTRY_COMPARE(callsShown(history), (QList<int>{2, 1}));

    // A line not yet written to its end waits for the rest of it.
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::Append));
    const QByteArray third = line(3);
    file.write(third.left(5));
    file.flush();
    QTest::qWait(200);
    QCOMPARE(callsShown(history), (QList<int>{2, 1}));
    file.write(third.mid(5));
    file.close();
    QTRY_COMPARE(callsShown(history), (QList<int>{3, 2, 1}));

    // Another program puts a new log in its place.
    QSaveFile replacement(logPath());
    QVERIFY(replacement.open(QIODevice::WriteOnly));
    replacement.write(line(8) + line(9));
    QVERIFY(replacement.commit());
    QTRY_COMPARE(callsShown(history), (QList<int>{9, 8}));
    CallLog::append(logPath(), number(10));
    QTRY_COMPARE(callsShown(history), (QList<int>{10, 9, 8}));
}

// Scrolled through from end to end and back, it never holds more than its
// limit, and every call comes in its place.
void tst_CallHistory::boundedWindow()
{
    writeLog(2000);
    CallHistory history(logPath());
    history.setRowLimit(300);

    fetchAll(history);
    QList<int> shown = callsShown(history);
    QCOMPARE(shown.size(), 300);
    for (int row = 0; row < shown.size(); ++row)
        QCOMPARE(shown[row], 299 - row);

    CallLog::append(logPath(), number(2000));
    QTest::qWait(200);
    QCOMPARE(callsShown(history), shown);
    QVERIFY(history.canFetchNewer());

    int fetches = 0;
    while (history.canFetchNewer() && ++fetches < 100) {
        history.fetchNewer();
        QVERIFY(history.rowCount() <= 300);
    }
    shown = callsShown(history);
    QCOMPARE(shown.size(), 300);
    for (int row = 0; row < shown.size(); ++row)
        QCOMPARE(shown[row], 2000 - row);
    QVERIFY(history.canFetchMore(QModelIndex()));
}

// However far the log goes back, its oldest call is one request away, and the newest another.
void tst_CallHistory::oldestAndNewestAtOnce()
{
    writeLog(20000);
    CallHistory history(logPath());
    history.showOldest();
    QCOMPARE(callsShown(history).value(history.rowCount() - 1), 0);
    QVERIFY(!history.canFetchMore(QModelIndex()));
    QVERIFY(history.rowStart(history.rowCount() - 1) == 0);
    history.showNewest();
    QCOMPARE(callsShown(history).value(0), 19999);

    // Halfway through the file: the calls around the middle.
    history.showAt(QFileInfo(logPath()).size() / 2);
    const QList<int> middle = callsShown(history);
    QVERIFY(!middle.isEmpty());
    QVERIFY(middle.contains(10000));
    QVERIFY(history.canFetchMore(QModelIndex()) && history.canFetchNewer());
}

void tst_CallHistory::pipeInPlaceOfTheLogNotOpened()
{
#ifdef Q_OS_WIN
    QSKIP("named pipes have no place in a folder on Windows");
#else
    QCOMPARE(::mkfifo(QFile::encodeName(logPath()).constData(), 0600), 0);
    CallHistory history(logPath());
    QCOMPARE(history.rowCount(), 0);
    QVERIFY(history.statusText().contains(QString::fromUtf8(Texts::NotARegularFile)));
#endif
}

// An editor saving in place, the log longer than before, before the watcher reacted.
void tst_CallHistory::rewriteInPlaceReadAnew()
{
    writeLog(100);
    CallHistory history(logPath());
    QCOMPARE(callsShown(history).value(0), 99);
    QByteArray log;
    for (int call = 500; call < 3000; ++call)
        log += line(call);
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(log), log.size());
    file.close();
    QTRY_COMPARE(callsShown(history).value(0), 2999);
    fetchAll(history);
    const QList<int> shown = callsShown(history);
    QCOMPARE(shown.size(), 2500);
    QCOMPARE(shown.last(), 500);
}

// 5 MB without a line end: no cell holds more than can be read in one.
void tst_CallHistory::longLineCutForDisplay()
{
    writeLog(3);
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::Append));
    file.write(QByteArray(5 * 1024 * 1024, '7'));
    file.close();
    CallHistory history(logPath());
    fetchAll(history);
    QVERIFY(history.rowCount() >= 4);
    for (int row = 0; row < history.rowCount(); ++row)
        QVERIFY(history.index(row, CallHistory::NumberColumn).data().toString().size() <= CallHistory::LongestShown);
    QCOMPARE(callsShown(history).mid(history.rowCount() - 3), (QList<int>{2, 1, 0}));
}

// A power loss can leave a block of NULs where the file system had promised data.
void tst_CallHistory::nulBlockKeepsTheNextCall()
{
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(line(1) + QByteArray(4096, '\0') + line(2));
    file.close();
    CallHistory history(logPath());
    QCOMPARE(callsShown(history), (QList<int>{2, 1}));
    QCOMPARE(history.index(0, CallHistory::TimeColumn).data().toString(), time(2));
}

// A right-to-left override would show 9910555 as 5550199.
void tst_CallHistory::numberShownOnlyAsANumberHoldsIt()
{
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(line(1, QStringLiteral("\u202E9910555").toUtf8()));
    file.close();
    CallHistory history(logPath());
    QCOMPARE(history.index(0, CallHistory::NumberColumn).data().toString(), QStringLiteral("9910555"));
}


// A blocked caller the modem hung up on is listed by its number and name, marked so.
void tst_CallHistory::blockedCallerListedAsHungUpOn()
{
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(CallLog::formatLine(QByteArray("5550199") + CallLog::HungUpMark, QDateTime::currentDateTime()));
    file.close();
    PhoneBook book(m_dir->filePath(QStringLiteral("ringlet.vcf")));
    book.setName(QStringLiteral("5550199"), QStringLiteral("Sales"));
    CallHistory history(logPath());
    history.setPhoneBook(&book);
    QCOMPARE(history.index(0, CallHistory::NumberColumn).data().toString(), QStringLiteral("5550199"));
    QCOMPARE(history.index(0, CallHistory::NameColumn).data().toString(), QStringLiteral("Sales (blocked, hung up)"));
    QVERIFY(history.index(0, CallHistory::NumberColumn).data(CallHistory::NameableRole).toBool());
}

QTEST_MAIN(tst_CallHistory)
#include "tst_callhistory.moc"
