// The configuration dialog's port lists: the device map, its failures, the
// preselections and what OK takes from the lists.
#include "ConfigDlgFixture.h"
#include "strings.h"

#include <QTest>

namespace {
using Setup = ConfigSetup;
} // namespace

class TestConfigPorts : public QObject
{
    Q_OBJECT

private slots:
    void listsAreSortedAlike();
    void lastMatchingPortIsPreselected();
    void chosenPortWinsOverAnotherWithTheSameNumber_data();
    void chosenPortWinsOverAnotherWithTheSameNumber();
    void noMatchSelectsNothing();
    void unreadableMapFallsBack_data();
    void unreadableMapFallsBack();
    void emptyMapGivesEmptyList();
    void longValuesAreReadAgain();
    void otherValueTypesAddNothing();
    void otherPortMatchesExactly_data();
    void otherPortMatchesExactly();
    void typedTextIsStoredAsTyped();
};

void TestConfigPorts::listsAreSortedAlike()
{
    Setup setup;
    for (const char* port : {"COM10", "com2", "COM1", "ttyUSB0"})
        addPort(setup.registry, std::string("\\Device\\") + port, port);
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    const QStringList sorted{"COM1", "COM10", "com2", "ttyUSB0"};
    QCOMPARE(entriesOf(control<QComboBox>(&dialog, "IDC_PORT")), sorted);
    QCOMPARE(entriesOf(control<QComboBox>(&dialog, "IDC_ANOTHER_PORT")), sorted);
}

void TestConfigPorts::lastMatchingPortIsPreselected()
{
    Setup setup;
    addPort(setup.registry, "\\Device\\Serial0", "COM1");
    addPort(setup.registry, "\\Device\\Serial1", "COM01");
    addPort(setup.registry, "\\Device\\Serial2", "COM2");
    setup.main.comm().SetCommPort(1);
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    auto* ports = control<QComboBox>(&dialog, "IDC_PORT");
    QCOMPARE(entriesOf(ports), (QStringList{"COM01", "COM1", "COM2"}));
    QCOMPARE(ports->currentText(), QStringLiteral("COM1"));

    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().port, QStringLiteral("COM1"));
}

void TestConfigPorts::chosenPortWinsOverAnotherWithTheSameNumber_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("listed") << "ttyACM0";
    QTest::newRow("not listed (unplugged)") << "ttyUSB0";
    QTest::newRow("not listed (device path)") << "/dev/serial/by-id/usb-modem-if00";
}

// ttyS0, ttyACM0, ttyUSB0 and most by-id names all give port number 0.
void TestConfigPorts::chosenPortWinsOverAnotherWithTheSameNumber()
{
    QFETCH(QString, port);
    Setup setup;
    addPort(setup.registry, "/dev/ttyS0", "ttyS0");
    addPort(setup.registry, "/dev/ttyACM0", "ttyACM0");
    setup.main.settings().port = port;
    setup.main.comm().SetCommPort(0);
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    QCOMPARE(control<QComboBox>(&dialog, "IDC_PORT")->currentText(), port);
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().port, port);
}

void TestConfigPorts::noMatchSelectsNothing()
{
    Setup setup;
    addPort(setup.registry, "\\Device\\Serial0", "COM2");
    setup.main.comm().SetCommPort(1);
    MainConfigDlg dialog(&setup.main);
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().port, QStringLiteral("NA"));
}

void TestConfigPorts::unreadableMapFallsBack_data()
{
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("failingIndex");

    QTest::newRow("map will not open") << false << -1;
    QTest::newRow("first value unreadable") << true << 0;
    QTest::newRow("later value unreadable") << true << 2;
}

void TestConfigPorts::unreadableMapFallsBack()
{
    QFETCH(bool, opens);
    QFETCH(int, failingIndex);

    Setup setup;
    if (!opens)
        setup.registry.refuseOpen(Registry::SerialDeviceMap);
    if (failingIndex >= 0)
        setup.registry.failEnumAt(Registry::SerialDeviceMap, failingIndex, Registry::AccessDenied);
    addPort(setup.registry, "\\Device\\Serial0", "COM7");
    addPort(setup.registry, "\\Device\\Serial1", "COM0");
    addPort(setup.registry, "\\Device\\Serial2", "COM9");
    setup.main.comm().SetCommPort(2);
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();

    QCOMPARE(setup.boxes.texts(), QStringList{"Couldn't access registry key"});
    QCOMPARE(setup.boxes.captions(), QStringList{"Caution"});
    const QStringList fallback{"COM1", "COM2", "COM3", "COM4"};
    QCOMPARE(entriesOf(control<QComboBox>(&dialog, "IDC_PORT")), fallback);
    QCOMPARE(entriesOf(control<QComboBox>(&dialog, "IDC_ANOTHER_PORT")), fallback);
    QCOMPARE(control<QComboBox>(&dialog, "IDC_PORT")->currentText(), QStringLiteral("COM2"));
}

void TestConfigPorts::emptyMapGivesEmptyList()
{
    Setup setup;
    setup.main.settings().port = QStringLiteral("COM3");
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    QCOMPARE(control<QComboBox>(&dialog, "IDC_PORT")->count(), 0);
    QCOMPARE(setup.boxes.count(), 0);
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().port, QStringLiteral("COM3"));
}

void TestConfigPorts::longValuesAreReadAgain()
{
    Setup setup;
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    addPort(setup.registry, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", byId);
    addPort(setup.registry, "\\Device\\USBSER000", "COM5"); // a name past 15 characters
    addPort(setup.registry, "\\Device\\Serial0", "COM1");
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    QCOMPARE(entriesOf(control<QComboBox>(&dialog, "IDC_PORT")),
             (QStringList{QString::fromStdString(byId), "COM1", "COM5"}));
    QCOMPARE(setup.boxes.count(), 0);

    QVERIFY(pressOk(dialog, [&dialog] { control<QComboBox>(&dialog, "IDC_PORT")->setCurrentIndex(0); }));
    QCOMPARE(setup.main.settings().port, QString::fromStdString(byId));
}

void TestConfigPorts::otherValueTypesAddNothing()
{
    Setup setup;
    setup.registry.setValue(Registry::SerialDeviceMap,
                            {"\\Device\\Serial0", Registry::TypeDword, std::string("\x01\0\0\0", 4)});
    setup.registry.setValue(Registry::SerialDeviceMap, {"\\Device\\Serial1", Registry::TypeBinary, "COM8"});
    addPort(setup.registry, "\\Device\\Serial2", "COM3");
    setup.registry.setValue(Registry::SerialDeviceMap,
                            {"\\Device\\Serial3", Registry::TypeSz, std::string("COM4\0junk", 9)});
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    QCOMPARE(entriesOf(control<QComboBox>(&dialog, "IDC_PORT")), (QStringList{"COM3", "COM4"}));
    QCOMPARE(setup.boxes.count(), 0);
}

void TestConfigPorts::otherPortMatchesExactly_data()
{
    QTest::addColumn<QString>("anotherPort");
    QTest::addColumn<QString>("shown");

    QTest::newRow("same case") << "COM2"
                               << "COM2";
    QTest::newRow("lower case, shown as stored") << "com1"
                                                 << "com1";
    QTest::newRow("not listed, shown as stored") << "COM9"
                                                 << "COM9";
    QTest::newRow("empty") << ""
                           << "";
}

void TestConfigPorts::otherPortMatchesExactly()
{
    QFETCH(QString, anotherPort);
    QFETCH(QString, shown);

    Setup setup;
    addPort(setup.registry, "\\Device\\Serial0", "COM1");
    addPort(setup.registry, "\\Device\\Serial1", "COM2");
    setup.main.settings().anotherPort = anotherPort;
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    QCOMPARE(control<QComboBox>(&dialog, "IDC_ANOTHER_PORT")->currentText(), shown);

    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().anotherPort, anotherPort);
}

void TestConfigPorts::typedTextIsStoredAsTyped()
{
    Setup setup;
    addPort(setup.registry, "\\Device\\Serial0", "COM1");
    addPort(setup.registry, "\\Device\\Serial1", "COM2");
    setup.main.settings().port = QStringLiteral("COM1");
    setup.main.settings().anotherPort = QStringLiteral("COM2");
    setup.main.settings().autoMethod = AutoMethod::Automate | 1; // the other-port list in use
    MainConfigDlg dialog(&setup.main);
    QVERIFY(pressOk(dialog, [&dialog] {
        for (const char* name : {"IDC_PORT", "IDC_ANOTHER_PORT"}) {
            auto* list = control<QComboBox>(&dialog, name);
            list->lineEdit()->selectAll();
            QTest::keyClicks(list->lineEdit(), name == QLatin1String("IDC_PORT") ? "/dev/pts/7" : "com2");
        }
    }));
    QCOMPARE(setup.main.settings().port, QStringLiteral("/dev/pts/7"));
    QCOMPARE(setup.main.settings().anotherPort, QStringLiteral("com2"));
}

QTEST_MAIN(TestConfigPorts)
#include "tst_configports.moc"
