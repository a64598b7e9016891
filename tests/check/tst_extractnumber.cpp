#include "check/ExtractNumber.h"
#include "strings.h"

#include <QtTest>

class tst_ExtractNumber : public QObject
{
    Q_OBJECT

private slots:
    void extract_data();
    void extract();
    void leavesInputsAlone();
};

void tst_ExtractNumber::extract_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray cantFind(Texts::CantFindString);
    const QByteArray empty(Texts::BufferEmpty);

    QTest::newRow("echo, number, OK") << QByteArray("AT\\L1\r\nCALLING 012 345\r\nOK\r\n") << QByteArray("CALLING")
                                      << QByteArray("012 345");
    QTest::newRow("empty reply") << QByteArray() << QByteArray("CALLING") << cantFind;
    QTest::newRow("marker absent") << QByteArray("RING\r\nOK\r\n") << QByteArray("CALLING") << cantFind;
    QTest::newRow("marker differs in case") << QByteArray("calling 123\r\n") << QByteArray("CALLING") << cantFind;
    QTest::newRow("no CR LF after the number") << QByteArray("CALLING 123") << QByteArray("CALLING") << empty;
    QTest::newRow("LF alone is no line end") << QByteArray("CALLING 123\n") << QByteArray("CALLING") << empty;
    QTest::newRow("number on the next line") << QByteArray("CALLING\r\n123\r\n") << QByteArray("CALLING") << empty;
    QTest::newRow("marker line without digit")
        << QByteArray("CALLING PRIVATE\r\nOK 1\r\n") << QByteArray("CALLING") << empty;
    QTest::newRow("separators and trailing text kept")
        << QByteArray("RING\r\nNMBR= 03-12-34 X \r\n") << QByteArray("NMBR=") << QByteArray("03-12-34 X ");
    QTest::newRow("modem-style NMBR = line")
        << QByteArray("NMBR = 03-12-34 X\r\n") << QByteArray("NMBR") << QByteArray("03-12-34 X");
    QTest::newRow("marker must match exactly")
        << QByteArray("NMBR = 03-12-34 X\r\n") << QByteArray("NMBR=") << cantFind;
    QTest::newRow("digit in the marker") << QByteArray("LINE1: 555\r\n") << QByteArray("LINE1:")
                                         << QByteArray("1: 555");
    QTest::newRow("first marker counts") << QByteArray("CALLING NONE\r\nCALLING 777\r\n") << QByteArray("CALLING")
                                         << empty;
    QTest::newRow("first marker counts, numbers in both")
        << QByteArray("CALLING 111\r\nCALLING 222\r\n") << QByteArray("CALLING") << QByteArray("111");
    QTest::newRow("text before the marker on its line ignored")
        << QByteArray("9 CALLING 42\r\n") << QByteArray("CALLING") << QByteArray("42");
    QTest::newRow("empty marker takes the first line")
        << QByteArray("DATE 0321\r\nNMBR 5551234\r\n") << QByteArray() << QByteArray("0321");
    QTest::newRow("empty marker, empty reply") << QByteArray() << QByteArray() << empty;
    QTest::newRow("empty marker, first line without digit") << QByteArray("OK\r\n123\r\n") << QByteArray() << empty;
    QTest::newRow("marker ends the reply") << QByteArray("123\r\nCALLING") << QByteArray("CALLING") << empty;
    QTest::newRow("NULs before the marker")
        << QByteArray("\0\0RING\0\r\nCALLING 42\r\n", 21) << QByteArray("CALLING") << QByteArray("42");
    QTest::newRow("NUL inside the number line") << QByteArray("CALLING 12\0"
                                                              "34\r\nOK\r\n",
                                                              19)
                                                << QByteArray("CALLING")
                                                << QByteArray("12\0"
                                                              "34",
                                                              5);
    QTest::newRow("NUL before the digit")
        << QByteArray("CALLING \0 7\r\n", 13) << QByteArray("CALLING") << QByteArray("7");
    QTest::newRow("markup returned unchanged") << QByteArray("CALLING <b>0</b><script>x</script>&amp;\r\n")
                                               << QByteArray("CALLING") << QByteArray("0</b><script>x</script>&amp;");
    QTest::newRow("8-bit bytes kept") << QByteArray("CALLING 5\xe9\xff\r\n") << QByteArray("CALLING")
                                      << QByteArray("5\xe9\xff");
}

void tst_ExtractNumber::extract()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, marker);
    QFETCH(QByteArray, expected);

    QCOMPARE(ExtractNumber(reply, marker), expected);
}

void tst_ExtractNumber::leavesInputsAlone()
{
    const QByteArray reply("CALLING 012\r\n");
    const QByteArray marker("CALLING");
    QByteArray result = ExtractNumber(reply, marker);
    result[0] = 'X';
    QCOMPARE(reply, QByteArray("CALLING 012\r\n"));
    QCOMPARE(ExtractNumber(reply, marker), QByteArray("012"));
}

QTEST_APPLESS_MAIN(tst_ExtractNumber)
#include "tst_extractnumber.moc"
