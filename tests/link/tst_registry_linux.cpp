#include "link/Registry_linux.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
    void deviceMapListsPortsThenStableLinks();
    void smallCapacityGivesMoreData();
    void portTablesDoNotOpen();
    void closedKeyFails();
};

// The system's ports come first, by device path, with the name the
// configuration lists as data; then each stable link, by its path, as both.
void TestRegistryLinux::deviceMapListsPortsThenStableLinks()
{
    QTemporaryDir links;
    const QString first = links.filePath(QStringLiteral("usb-Maker_Modem_0001-if00-port0"));
    const QString second = links.filePath(QStringLiteral("usb-Maker_Modem_0002-if00-port0"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), second));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), first));
    QVERIFY(QDir(links.path()).mkdir(QStringLiteral("not-a-port")));

    const auto key = createLinuxRegistryReader(links.path())->openLocalMachineKey(Registry::SerialDeviceMap);
    QVERIFY(key);
    unsigned long count = 0;
    const auto values = allValues(*key, count);
    QVERIFY(values.size() >= 2);
    const auto linkEntry = [](const QString& path) {
        return std::make_pair(path.toStdString(), path.toStdString() + '\0');
    };
    QCOMPARE(values[values.size() - 2], linkEntry(first));
    QCOMPARE(values[values.size() - 1], linkEntry(second));

    for (size_t i = 0; i + 2 < values.size(); ++i) {
        const auto& [name, data] = values[i];
        struct stat info
        {
        };
        QVERIFY2(name.rfind("/dev/", 0) == 0 && ::stat(name.c_str(), &info) == 0 && S_ISCHR(info.st_mode),
                 name.c_str());
        QCOMPARE(data, name.substr(name.rfind('/') + 1) + '\0');
    }
    for (const auto& [name, data] : values) {
        unsigned long type = Registry::TypeNone;
        std::string queried;
        QCOMPARE(key->queryValue(name, 4096, type, queried), Registry::Success);
        QCOMPARE(queried, data);
    }
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
