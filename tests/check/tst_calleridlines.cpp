#include "check/CallerIdLines.h"
#include "check/RingLines.h"

#include <QTest>

// A call's announcement, as modems send it, through the watcher's line reader.
class TestCallerIdLines : public QObject
{
    Q_OBJECT

private slots:
    void readsTheAnnouncement_data()
    {
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("callerIdLines");

        const QByteArray marker = "CALLING ";
        QTest::newRow("a block with spaces around =")
            << marker << QByteArrayList{"\r\nDATE = 1207\r\nTIME = 1750\r\nNMBR = 5550199\r\nNAME = JOHN Q SAMPLE\r\n\r\n"}
            << "5550199" << "JOHN Q SAMPLE" << true << 4;
        QTest::newRow("no spaces, then many")
            << marker << QByteArrayList{"DATE=1207\rTIME=1750\nNMBR=5550199\r\n  NAME   =   JOHN Q SAMPLE  \r\n"}
            << "5550199" << "JOHN Q SAMPLE" << true << 4;
        QTest::newRow("name missing") << marker << QByteArrayList{"DATE = 1207\r\nTIME = 1750\r\nNMBR = 5550199\r\n"}
                                      << "5550199" << "" << false << 3;
        QTest::newRow("name first") << marker << QByteArrayList{"NAME = JOHN Q SAMPLE\r\nNMBR = 5550199\r\n"}
                                    << "5550199" << "JOHN Q SAMPLE" << true << 2;
        QTest::newRow("DDN_NMBR and a message line")
            << marker << QByteArrayList{"MESG = 060101\r\nDDN_NMBR = 15555550199\r\n"} << "15555550199" << "" << false
            << 2;
        QTest::newRow("+CLIP with a name")
            << marker << QByteArrayList{"\r\nRING\r\n\r\n+CLIP: \"+15555550199\",145,\"\",,\"SAMPLE, JOHN\",0\r\n"}
            << "+15555550199" << "SAMPLE, JOHN" << true << 1;
        QTest::newRow("+CLIP alone") << marker << QByteArrayList{"+CLIP: \"5550199\",129\r\n"} << "5550199" << ""
                                     << true << 1;
        QTest::newRow("+CLIP withheld") << marker << QByteArrayList{"+CLIP: \"\",128,\"\",,\"\",1\r\n"} << "Private"
                                        << "" << true << 1;
        QTest::newRow("+CLIP unavailable") << marker << QByteArrayList{"+CLIP: \"\",128,,,,2\r\n"} << "Unavailable"
                                           << "" << true << 1;
        QTest::newRow("withheld") << marker << QByteArrayList{"NMBR = P\r\nNAME = P\r\n"} << "Private" << "" << true
                                  << 2;
        QTest::newRow("withheld, in words") << marker << QByteArrayList{"NMBR = PRIVATE\r\n"} << "Private" << ""
                                            << false << 1;
        QTest::newRow("unavailable") << marker << QByteArrayList{"NMBR = O\r\nNAME = O\r\n"} << "Unavailable" << ""
                                     << true << 2;
        QTest::newRow("a number, then O") << marker << QByteArrayList{"NMBR = 5550199\r\nNMBR = O\r\n"} << "5550199"
                                          << "" << false << 2;
        QTest::newRow("O, then a number") << marker << QByteArrayList{"NMBR = O\r\nNMBR = 5550199\r\n"} << "5550199"
                                          << "" << false << 2;
        QTest::newRow("two numbers: the first stands")
            << marker << QByteArrayList{"NMBR = 5550199\r\nDDN_NMBR = 15555550199\r\n"} << "5550199" << "" << false << 2;
        QTest::newRow("the check's marker") << marker << QByteArrayList{"\r\nCALLING 0123456789\r\n"} << "0123456789"
                                            << "" << false << 1;
        QTest::newRow("the marker, no digit") << marker << QByteArrayList{"CALLING PRIVATE\r\n"} << "" << "" << false
                                              << 0;
        QTest::newRow("split across reads")
            << marker << QByteArrayList{"\r\nNM", "BR = 555", "0199\r", "\nNAME = JO", "HN\r", "\n"} << "5550199" << "JOHN"
            << true << 2;
        QTest::newRow("an overlong line is dropped")
            << marker << QByteArrayList{"NMBR = " + QByteArray(RingLineReader::MaxLine, '9'), "\r\nNMBR = 5550199\r\n"}
            << "5550199" << "" << false << 1;
        QTest::newRow("results, echoes, no marker")
            << QByteArray() << QByteArrayList{"AT+VCID=1\r\r\nOK\r\nERROR\r\nRING\r\n2\r\nCONNECT 2400\r\nNMBR =\r\n"} << ""
            << "" << false << 1;
    }

    void readsTheAnnouncement()
    {
        QFETCH(QByteArray, marker);
        QFETCH(QByteArrayList, chunks);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(bool, complete);
        QFETCH(int, callerIdLines);
        RingLineReader reader;
        CallerIdLines callerId(marker);
        int taken = 0;
        for (const QByteArray& chunk : chunks)
            reader.feed(chunk.constData(), chunk.size(), [&](const QByteArray& line) { taken += callerId.take(line); });
        QCOMPARE(callerId.number(), number);
        QCOMPARE(callerId.name(), name);
        QCOMPARE(callerId.isComplete(), complete);
        QCOMPARE(taken, callerIdLines);
    }
};

QTEST_MAIN(TestCallerIdLines)
#include "tst_calleridlines.moc"
