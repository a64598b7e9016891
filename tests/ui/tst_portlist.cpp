#include "ui/PortList.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {
QStringList entries(const QComboBox& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.itemText(i);
    return texts;
}
} // namespace

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void sortsWithoutRegardToCase_data();
    void sortsWithoutRegardToCase();
    void startsAndStaysUnselected();
    void selectionIsTheCurrentEntryUnedited();
    void typingNeverAddsEntries();
};

void TestPortList::sortsWithoutRegardToCase_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("numbers as text") << QStringList{"COM10", "COM2", "COM1"} << QStringList{"COM1", "COM10", "COM2"};
    QTest::newRow("case ignored") << QStringList{"com3", "COM2", "Com1"} << QStringList{"Com1", "COM2", "com3"};
    QTest::newRow("leading zero first") << QStringList{"COM1", "COM01"} << QStringList{"COM01", "COM1"};
    QTest::newRow("equal keys keep arrival order")
        << QStringList{"com1", "COM1", "Com1"} << QStringList{"com1", "COM1", "Com1"};
    QTest::newRow("device paths") << QStringList{"/dev/ttyUSB0", "/dev/ttyS0", "/dev/serial/by-id/usb-X"}
                                  << QStringList{"/dev/serial/by-id/usb-X", "/dev/ttyS0", "/dev/ttyUSB0"};
}

void TestPortList::sortsWithoutRegardToCase()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, shown);

    QComboBox list;
    PortList::setUp(&list);
    for (const QString& text : added)
        PortList::insertSorted(&list, text);
    QCOMPARE(entries(list), shown);
}

void TestPortList::startsAndStaysUnselected()
{
    QComboBox list;
    PortList::setUp(&list);
    QCOMPARE(PortList::insertSorted(&list, QStringLiteral("COM2")), 0);
    QCOMPARE(PortList::insertSorted(&list, QStringLiteral("COM1")), 0);
    QCOMPARE(PortList::insertSorted(&list, QStringLiteral("COM3")), 2);
    QCOMPARE(list.currentIndex(), -1);
    QCOMPARE(list.currentText(), QString());
    QVERIFY(!PortList::hasSelection(&list));
}

void TestPortList::selectionIsTheCurrentEntryUnedited()
{
    QComboBox list;
    PortList::setUp(&list);
    for (const char* port : {"COM1", "COM2"})
        PortList::insertSorted(&list, QString::fromLatin1(port));

    list.setCurrentIndex(1);
    QVERIFY(PortList::hasSelection(&list));
    // An entry inserted before the selection moves it along.
    PortList::insertSorted(&list, QStringLiteral("COM0"));
    QCOMPARE(list.currentText(), QStringLiteral("COM2"));
    QVERIFY(PortList::hasSelection(&list));

    list.lineEdit()->setText(QStringLiteral("COM9"));
    QVERIFY(!PortList::hasSelection(&list));
    // Typing back the very text of the current entry counts as that entry.
    list.lineEdit()->setText(QStringLiteral("COM2"));
    QVERIFY(PortList::hasSelection(&list));

    PortList::clearSelection(&list);
    QVERIFY(!PortList::hasSelection(&list));
    QCOMPARE(list.currentText(), QString());
}

void TestPortList::typingNeverAddsEntries()
{
    QComboBox list;
    PortList::setUp(&list);
    PortList::insertSorted(&list, QStringLiteral("COM1"));
    list.show();
    list.lineEdit()->setFocus();
    QTest::keyClicks(list.lineEdit(), QStringLiteral("ttyS9"));
    QTest::keyClick(list.lineEdit(), Qt::Key_Return);
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.currentText(), QStringLiteral("ttyS9"));
    QVERIFY(!PortList::hasSelection(&list));
}

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
