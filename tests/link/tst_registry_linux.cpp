#include "link/Registry.h"

#include <QDir>
#include <QSerialPortInfo>
#include <QTest>

#include <set>

namespace {
// Every value of `key` with capacities that fit anything, in order.
std::vector<std::pair<std::string, std::string>> allValues(RegistryKey& key, unsigned long& count)
{
    std::vector<std::pair<std::string, std::string>> values;
    std::string name;
    std::string data;
    unsigned long type = Registry::TypeNone;
    for (count = 0;; ++count) {
        const long result = key.enumValue(count, 4096, 4096, name, type, data);
        if (result != Registry::Success) {
            [&] { QCOMPARE(result, Registry::NoMoreItems); }();
            return values;
        }
        [&] { QCOMPARE(type, Registry::TypeSz); }();
        values.emplace_back(name, data);
    }
}
} // namespace

class TestRegistryLinux : public QObject
{
    Q_OBJECT

private slots:
    void deviceMapListsSystemPorts();
    void smallCapacityGivesMoreData();
    void portTablesDoNotOpen();
    void closedKeyFails();
};

void TestRegistryLinux::deviceMapListsSystemPorts()
{
    const auto reader = createSystemRegistryReader();
    const auto key = reader->openLocalMachineKey(Registry::SerialDeviceMap);
    QVERIFY(key);
    unsigned long count = 0;
    const auto values = allValues(*key, count);

    std::set<std::string> expected;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        expected.insert(port.portName().toStdString());
    const QDir links(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        expected.insert(link.filePath().toStdString());
    std::set<std::string> listed;
    for (const auto& [name, data] : values) {
        // Stored as strings are, with their terminator; the name is distinct from the data's port name.
        QVERIFY(!data.empty() && data.back() == '\0');
        QVERIFY(data.find('\0') == data.size() - 1);
        listed.insert(data.substr(0, data.size() - 1));
        unsigned long type = Registry::TypeNone;
        std::string queried;
        QCOMPARE(key->queryValue(name, 4096, type, queried), Registry::Success);
        QCOMPARE(queried, data);
    }
    QCOMPARE(listed, expected);
    QCOMPARE(key->close(), Registry::Success);
}

void TestRegistryLinux::smallCapacityGivesMoreData()
{
    const auto reader = createSystemRegistryReader();
    const auto key = reader->openLocalMachineKey(Registry::SerialDeviceMap);
    QVERIFY(key);
    unsigned long count = 0;
    allValues(*key, count);
    std::string name;
    std::string data;
    unsigned long type = Registry::TypeNone;
    for (unsigned long i = 0; i < count; ++i) {
        QCOMPARE(key->enumValue(i, 1, 4096, name, type, data), Registry::MoreData);
        QCOMPARE(key->enumValue(i, 4096, 1, name, type, data), Registry::MoreData);
    }
    QCOMPARE(key->enumValue(count, 1, 1, name, type, data), Registry::NoMoreItems);
    QCOMPARE(key->queryValue("no such value", 4096, type, data), Registry::FileNotFound);
}

void TestRegistryLinux::portTablesDoNotOpen()
{
    const auto reader = createSystemRegistryReader();
    QVERIFY(!reader->openLocalMachineKey(Registry::PortsKey));
    QVERIFY(!reader->openLocalMachineKey(Registry::PortsKeyNt));
}

void TestRegistryLinux::closedKeyFails()
{
    const auto reader = createSystemRegistryReader();
    const auto key = reader->openLocalMachineKey(Registry::SerialDeviceMap);
    QVERIFY(key);
    QCOMPARE(key->close(), Registry::Success);
    std::string name;
    std::string data;
    unsigned long type = Registry::TypeNone;
    QVERIFY(key->enumValue(0, 4096, 4096, name, type, data) != Registry::Success);
    QVERIFY(key->enumValue(0, 4096, 4096, name, type, data) != Registry::NoMoreItems);
    QVERIFY(key->close() != Registry::Success);
}

QTEST_GUILESS_MAIN(TestRegistryLinux)
#include "tst_registry_linux.moc"
