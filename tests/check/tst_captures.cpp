#include "PseudoTerminal.h"

#include "base/SettingsRecord.h"
#include "check/RingTrigger.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSignalSpy>
#include <QTest>

// The captures of real modems' calls, each replayed through the watcher over a
// pseudo-terminal at a twentieth of its real pace: what each call comes to
// against what the captures' manifest expects of it.
class TestCaptures : public QObject
{
    Q_OBJECT

private:
    static constexpr int Pace = 20;
    // Between two rings of a real line, and around its caller-ID lines.
    static constexpr int RingGapMs = 3000 / Pace;
    static constexpr int LineGapMs = 1500 / Pace;

    // An informational capture Ringlet reads otherwise than its expected column, and why.
    const QHash<QString, QString> m_decided{
        // The word for a withheld number.
        {QStringLiteral("ncid-restricted-word.txt"), QStringLiteral("Private")},
        // Cadence reports alone are no rings: such a modem sends RING lines too.
        {QStringLiteral("ncid-dr-lucent-dron-drof.txt"), QStringLiteral("(nothing)")},
        // Its checksum does not hold (nor its length byte): not read, so the call gets its check.
        {QStringLiteral("usr3com-business-unformatted-mdmf.txt"), QStringLiteral("(check)")},
    };
    QDir m_captures{QStringLiteral(RINGLET_CAPTURES_DIR)};
    int m_counted = 0;
    int m_countedRead = 0;

    static bool isRingLine(const QByteArray& line)
    {
        const QByteArray text = line.trimmed();
        return text.startsWith("RING") || text.startsWith("+CRING") || text.startsWith("CID RING");
    }

    // Each ring line alone, the lines between two rings together; blank lines go with what follows.
    static QByteArrayList bursts(const QByteArray& bytes)
    {
        QByteArrayList bursts;
        QByteArray pending;
        bool lastWasRing = false;
        for (qsizetype at = 0; at < bytes.size();) {
            qsizetype end = at;
            while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
                ++end;
            end = qMin(bytes.size(), end + (bytes.mid(end, 2) == "\r\n" ? 2 : 1));
            const QByteArray line = bytes.mid(at, end - at);
            at = end;
            const QByteArray text = line.trimmed();
            pending += line;
            if (text.isEmpty())
                continue;
            const bool ring = isRingLine(text);
            if (ring || lastWasRing || bursts.isEmpty())
                bursts << pending;
            else
                bursts.last() += pending;
            pending.clear();
            lastWasRing = ring;
        }
        if (!pending.isEmpty() && !bursts.isEmpty())
            bursts.last() += pending;
        return bursts;
    }

private slots:
    void initTestCase()
    {
        if (!m_captures.exists(QStringLiteral("MANIFEST.md")))
            QSKIP(qPrintable(QStringLiteral("the captures of real calls are not at %1").arg(m_captures.path())));
    }

    void readsEachCapture_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<QString>("ringCommand");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("counts");
        QFile manifest(m_captures.filePath(QStringLiteral("MANIFEST.md")));
        QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
        // The table's columns by their heads; a cell's `code` marks go.
        QStringList heads;
        auto cells = [](const QString& row) {
            QStringList cells = row.split(QLatin1Char('|'));
            cells = cells.mid(1, cells.size() - 2);
            for (QString& cell : cells)
                cell = cell.trimmed().remove(QLatin1Char('`'));
            return cells;
        };
        while (!manifest.atEnd()) {
            const QString row = QString::fromUtf8(manifest.readLine()).trimmed();
            if (!row.startsWith(QLatin1Char('|')) || row.startsWith(QLatin1String("|---")))
                continue;
            const QStringList cell = cells(row);
            if (heads.isEmpty()) {
                heads = cell;
                continue;
            }
            auto at = [&](const char* head) { return cell.value(heads.indexOf(QLatin1String(head))); };
            const QString command = at("ringcommand");
            QTest::newRow(qPrintable(at("capture")))
                << at("capture") << (command == QLatin1String("-") ? QString() : command) << at("expected")
                << (at("counts") == QLatin1String("yes"));
        }
        QVERIFY2(heads.contains(QLatin1String("expected")), "the manifest holds no table of captures");
    }

    void readsEachCapture()
    {
        QFETCH(QString, capture);
        QFETCH(QString, ringCommand);
        QFETCH(QString, expected);
        QFETCH(bool, counts);
        QFile file(m_captures.filePath(capture));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArrayList call = bursts(file.readAll());

        PseudoTerminal modem;
        QVERIFY(modem.isOpen());
        RingTrigger::Timings timings;
        timings.call.callGapMs /= Pace;
        timings.call.loneRingMs /= Pace;
        timings.call.sameRingMs /= Pace;
        timings.call.nameWaitMs /= Pace;
        timings.call.shortestPeriodMs /= Pace;
        RingTrigger trigger;
        trigger.setTimings(timings);
        QSignalSpy announced(&trigger, &RingTrigger::announced);
        QSignalSpy wanted(&trigger, &RingTrigger::checkWanted);
        trigger.arm({modem.devicePath(), QStringLiteral("115200,n,8,1"), QStringLiteral("ttyS0"),
                     SettingsRecord().marker, ringCommand});
        QVERIFY(trigger.isWatching());

        // Each burst at its moment from the start, so that a late one does not make all after it late.
        QElapsedTimer clock;
        clock.start();
        qint64 dueMs = 0;
        for (qsizetype i = 0; i < call.size(); ++i) {
            if (i > 0)
                dueMs += isRingLine(call[i - 1]) && isRingLine(call[i]) ? RingGapMs : LineGapMs;
            QTest::qWait(static_cast<int>(qMax<qint64>(0, dueMs - clock.elapsed())));
            QVERIFY(modem.write(call[i]));
        }
        // Whatever the call still waits for (its name, its lone-ring check) comes within a call gap,
        // on a busy machine a little later.
        QTest::qWait(static_cast<int>(timings.call.callGapMs));
        const QString wantedOutcome = counts ? expected : m_decided.value(capture, expected);
        const auto cameOut = [&] { return !announced.isEmpty() || !wanted.isEmpty(); };
        if (wantedOutcome != QLatin1String("(nothing)"))
            (void)QTest::qWaitFor(cameOut, 2000); // the comparison below says what came

        QString outcome = QStringLiteral("(nothing)");
        if (!announced.isEmpty())
            outcome = QString::fromUtf8(announced[0][0].toByteArray());
        else if (!wanted.isEmpty())
            outcome = QStringLiteral("(check)");
        if (counts) {
            ++m_counted;
            m_countedRead += outcome == expected;
        } else {
            qInfo("informational: %s; the manifest suggests %s", qPrintable(outcome), qPrintable(expected));
        }
        QCOMPARE(outcome, wantedOutcome);
        // One call, one outcome.
        QCOMPARE(announced.count() + wanted.count(), outcome == QLatin1String("(nothing)") ? 0 : 1);
    }

    void cleanupTestCase() { qInfo("%d of %d counted captures read as expected", m_countedRead, m_counted); }
};

QTEST_MAIN(TestCaptures)
#include "tst_captures.moc"
