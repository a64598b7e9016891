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
        // The chunks as reads bring them, under the default marker; what the call's lines came to.
        auto row = [](const char* tag, const QByteArrayList& chunks, const char* number, const char* name,
                      bool complete, int callerIdLines, const QByteArray& marker = "CALLING ") {
            QTest::newRow(tag) << marker << chunks << QString::fromLatin1(number) << QString::fromLatin1(name)
                               << complete << callerIdLines;
        };

        row("a block with spaces around =",
            {"\r\nDATE = 1207\r\nTIME = 1750\r\nNMBR = 5550199\r\nNAME = JOHN Q SAMPLE\r\n\r\n"}, "5550199",
            "JOHN Q SAMPLE", true, 4);
        row("no spaces, then many", {"DATE=1207\rTIME=1750\nNMBR=5550199\r\n  NAME   =   JOHN Q SAMPLE  \r\n"},
            "5550199", "JOHN Q SAMPLE", true, 4);
        row("name missing", {"DATE = 1207\r\nTIME = 1750\r\nNMBR = 5550199\r\n"}, "5550199", "", false, 3);
        row("name first", {"NAME = JOHN Q SAMPLE\r\nNMBR = 5550199\r\n"}, "5550199", "JOHN Q SAMPLE", true, 2);
        row("DDN_NMBR and a message line", {"MESG = 060101\r\nDDN_NMBR = 15555550199\r\n"}, "15555550199", "", false,
            2);
        row("+CLIP with a name", {"\r\nRING\r\n\r\n+CLIP: \"+15555550199\",145,\"\",,\"SAMPLE, JOHN\",0\r\n"},
            "+15555550199", "SAMPLE, JOHN", true, 1);
        row("+CLIP alone", {"+CLIP: \"5550199\",129\r\n"}, "5550199", "", true, 1);
        row("+CLIP withheld", {"+CLIP: \"\",128,\"\",,\"\",1\r\n"}, "Private", "", true, 1);
        row("+CLIP unavailable", {"+CLIP: \"\",128,,,,2\r\n"}, "Unavailable", "", true, 1);
        row("withheld", {"NMBR = P\r\nNAME = P\r\n"}, "Private", "", true, 2);
        row("withheld, in words", {"NMBR = PRIVATE\r\n"}, "Private", "", false, 1);
        row("unavailable", {"NMBR = O\r\nNAME = O\r\n"}, "Unavailable", "", true, 2);
        row("a number, then O", {"NMBR = 5550199\r\nNMBR = O\r\n"}, "5550199", "", false, 2);
        row("O, then a number", {"NMBR = O\r\nNMBR = 5550199\r\n"}, "5550199", "", false, 2);
        row("two numbers: the first stands", {"NMBR = 5550199\r\nDDN_NMBR = 15555550199\r\n"}, "5550199", "", false, 2);
        row("other number keys", {"DDN = 5550199\r\nNBR=0632727751\r\n"}, "5550199", "", false, 2);
        row("a hex-coded number in MESG", {"MESG = 06034242431\r\nMESG = 030735353530313939\r\n"}, "5550199", "", false,
            2);
        row("a caller-ID box's line", {"###DATE06182106...NMBR7045551212...NAMEU.S. ROBOTICS+++\r"}, "7045551212",
            "U.S. ROBOTICS", true, 1);
        row("a packet in hex", {"801302073535353031393907084A4F484E20444F45BC\r\n"}, "5550199", "JOHN DOE", true, 1);
        row("a packet: number and name withheld", {"80100108303130313132303004015008015034\r\n"}, "Private", "", true,
            1);
        row("a single-message packet: unavailable", {"040930313031313230304F1F\r\n"}, "Unavailable", "", true, 1);
        row("packets that do not add up: checksum, length",
            {"040F30313031313230303535353031393900\r\n0410303130313132303035353530313939F5\r\n"}, "", "", false, 0);
        row("the check's marker", {"\r\nCALLING 0123456789\r\n"}, "0123456789", "", false, 1);
        row("the marker, no digit", {"CALLING PRIVATE\r\n"}, "", "", false, 0);
        row("split across reads", {"\r\nNM", "BR = 555", "0199\r", "\nNAME = JO", "HN\r", "\n"}, "5550199", "JOHN",
            true, 2);
        row("an overlong line is dropped",
            {"NMBR = " + QByteArray(RingLineReader::MaxLine, '9'), "\r\nNMBR = 5550199\r\n"}, "5550199", "", false, 1);
        row("results, echoes, no marker", {"AT+VCID=1\r\r\nOK\r\nERROR\r\nRING\r\n2\r\nCONNECT 2400\r\nNMBR =\r\n"}, "",
            "", false, 1, QByteArray());
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
        QCOMPARE(QString::fromUtf8(callerId.number()), number);
        QCOMPARE(callerId.name(), name);
        QCOMPARE(callerId.isComplete(), complete);
        QCOMPARE(taken, callerIdLines);
    }
};

QTEST_MAIN(TestCallerIdLines)
#include "tst_calleridlines.moc"
