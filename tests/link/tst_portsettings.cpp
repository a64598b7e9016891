#include "MemoryRegistry.h"
#include "base/RingletError.h"
#include "base/SettingsRecord.h"
#include "link/MSComm.h"
#include "link/PortSettings.h"

#include <QTest>

namespace {
const std::string First = Registry::PortsKey;
const std::string Second = Registry::PortsKeyNt;

// `text` behind enough leading blanks to make `size` bytes with the terminator.
QByteArray padded(int size, const char* text)
{
    QByteArray data(text);
    return QByteArray(size - 1 - data.size(), ' ') + data + '\0';
}
} // namespace

class TestPortSettings : public QObject
{
    Q_OBJECT

private slots:
    void portNumberFromName_data();
    void portNumberFromName();

    void applyPortSettings_data();
    void applyPortSettings();
    void firstKeyWithoutEntryHidesSecond();
    void failingCloseIgnoresEntry();
    void numberIsPutBeforeBadSettingsRaise();
    void valueNameIsPortWithColon();
};

void TestPortSettings::portNumberFromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM4") << "COM4" << 4;
    QTest::newRow("COM10") << "COM10" << 10;
    QTest::newRow("COM01") << "COM01" << 1;
    QTest::newRow("COM2:") << "COM2:" << 2;
    QTest::newRow("NA") << "NA" << 0;
    QTest::newRow("COM0") << "COM0" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("zeros skipped, later run") << "0A05B7" << 5;
    QTest::newRow("run stops at non-digit") << "COM12x34" << 12;
    QTest::newRow("zero inside run kept") << "COM1009" << 1009;
    QTest::newRow("linux name") << "ttyUSB0" << 0;
    QTest::newRow("linux device path") << "/dev/ttyS1" << 1;
    QTest::newRow("top of 16 bits") << "COM32767" << 32767;
    QTest::newRow("beyond 16 bits saturates") << "COM65537" << 32767;
    QTest::newRow("huge run saturates") << "COM99999999999999999999" << 32767;
    QTest::newRow("non-ASCII digit is no digit") << QString::fromUtf8("COM\u0663") << 0;
}

void TestPortSettings::portNumberFromName()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QCOMPARE(PortNumberFromName(name), number);
}

void TestPortSettings::applyPortSettings_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("firstKey");
    QTest::addColumn<bool>("secondKey");
    QTest::addColumn<QString>("valueName"); // entry in whichever keys exist
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");

    const quint32 sz = Registry::TypeSz;
    const QByteArray table("9600,e,7,2\0", 11);
    QTest::newRow("entry replaces setting") << "COM1" << true << false << "COM1:" << sz << table << "9600,e,7,2";
    QTest::newRow("no keys: stored setting") << "COM1" << false << false << "" << sz << QByteArray() << "115200,n,8,1";
    QTest::newRow("entry for another port") << "COM1" << true << false << "COM2:" << sz << table << "115200,n,8,1";
    QTest::newRow("first absent, second used") << "COM3" << false << true << "COM3:" << sz << table << "9600,e,7,2";
    QTest::newRow("trailing blanks cut, leading kept")
        << "COM1" << true << false << "COM1:" << sz << QByteArray("  9600,n,8,1 \t\r\n\v\f\0", 20) << "  9600,n,8,1";
    QTest::newRow("text ends at first NUL")
        << "COM1" << true << false << "COM1:" << sz << QByteArray("4800,o,8,1\0junk\0", 16) << "4800,o,8,1";
    QTest::newRow("no terminator stored")
        << "COM1" << true << false << "COM1:" << sz << QByteArray("2400,n,8,1") << "2400,n,8,1";
    QTest::newRow("32 bytes with terminator used")
        << "COM1" << true << false << "COM1:" << sz << padded(32, "9600,n,8,1")
        << QString::fromLatin1(padded(32, "9600,n,8,1").chopped(1));
    QTest::newRow("33 bytes ignored") << "COM1" << true << false << "COM1:" << sz << padded(33, "9600,n,8,1")
                                      << "115200,n,8,1";
    QTest::newRow("DWORD ignored") << "COM1" << true << false << "COM1:" << quint32(Registry::TypeDword)
                                   << QByteArray("\x80\x25\0\0", 4) << "115200,n,8,1";
    QTest::newRow("binary ignored") << "COM1" << true << false << "COM1:" << quint32(Registry::TypeBinary)
                                    << QByteArray("9600,e,7,2\0", 11) << "115200,n,8,1";
}

void TestPortSettings::applyPortSettings()
{
    QFETCH(QString, port);
    QFETCH(bool, firstKey);
    QFETCH(bool, secondKey);
    QFETCH(QString, valueName);
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);

    MemoryRegistry registry;
    for (const auto& [path, present] : {std::pair{First, firstKey}, std::pair{Second, secondKey}}) {
        if (present)
            registry.setValue(path, {valueName.toStdString(), type, data.toStdString()});
    }
    SettingsRecord record;
    record.port = port;
    CMSComm comm;
    ::applyPortSettings(record, comm, registry);

    QCOMPARE(record.setting, expected);
    QCOMPARE(comm.settings(), expected);
    QCOMPARE(comm.portName(), port);
    QCOMPARE(comm.GetCommPort(), qint16(PortNumberFromName(port)));
    QVERIFY(!comm.GetPortOpen());
}

void TestPortSettings::firstKeyWithoutEntryHidesSecond()
{
    MemoryRegistry registry;
    registry.setString(First, "COM2:", "9600,e,7,2");
    registry.setString(Second, "COM1:", "4800,o,7,1");
    SettingsRecord record;
    record.port = QStringLiteral("COM1");
    record.setting = QStringLiteral("19200,n,8,2");
    CMSComm comm;
    ::applyPortSettings(record, comm, registry);
    QCOMPARE(record.setting, QStringLiteral("19200,n,8,2"));
    QCOMPARE(comm.settings(), QStringLiteral("19200,n,8,2"));
    QCOMPARE(registry.openCount(Second), 0);
}

void TestPortSettings::failingCloseIgnoresEntry()
{
    MemoryRegistry registry;
    registry.setString(First, "COM1:", "9600,e,7,2");
    registry.failClose(First, 6);
    SettingsRecord record;
    record.port = QStringLiteral("COM1");
    CMSComm comm;
    ::applyPortSettings(record, comm, registry);
    QCOMPARE(record.setting, QStringLiteral("115200,n,8,1"));
    QCOMPARE(comm.settings(), QStringLiteral("115200,n,8,1"));
}

void TestPortSettings::numberIsPutBeforeBadSettingsRaise()
{
    MemoryRegistry registry;
    registry.setString(First, "COM7:", "fast,n,8,1");
    SettingsRecord record;
    record.port = QStringLiteral("COM7");
    CMSComm comm;
    QVERIFY_THROWS_EXCEPTION(RingletError, ::applyPortSettings(record, comm, registry));
    QCOMPARE(comm.GetCommPort(), qint16(7));
    QCOMPARE(comm.portName(), QStringLiteral("COM7"));
    // The table's text was taken before the component refused it, and stays in the record.
    QCOMPARE(record.setting, QStringLiteral("fast,n,8,1"));
    QCOMPARE(comm.settings(), QStringLiteral("9600,n,8,1"));

    SettingsRecord stored;
    stored.port = QStringLiteral("COM2");
    stored.setting = QStringLiteral("115200,x,8,1");
    QVERIFY_THROWS_EXCEPTION(RingletError, ::applyPortSettings(stored, comm, MemoryRegistry()));
    QCOMPARE(comm.GetCommPort(), qint16(2));
}

void TestPortSettings::valueNameIsPortWithColon()
{
    MemoryRegistry registry;
    registry.addKey(First);
    SettingsRecord record;
    record.port = QStringLiteral("/dev/ttyUSB0");
    CMSComm comm;
    ::applyPortSettings(record, comm, registry);
    QCOMPARE(registry.queriedNames(First), std::vector<std::string>{"/dev/ttyUSB0:"});
    QCOMPARE(registry.openCount(First), 1);
}

QTEST_GUILESS_MAIN(TestPortSettings)
#include "tst_portsettings.moc"
