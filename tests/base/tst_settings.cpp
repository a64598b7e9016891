#include "MemoryRegistry.h"
#include "MessageBoxWatcher.h"
#include "TempProfile.h"
#include "app/StoredSettingsCheck.h"
#include "base/Settings.h"
#include "ui/SettingsWithFont.h"
#include "ui/DisplayFont.h"
#include "ui/MainDlg.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void nativeStoreLocation();
    void emptyStoreGivesDefaults();
    void recordRoundTrip();
    void storedKeys();
    void fontRoundTrip();
    void byteFieldsKeepLowBits_data();
    void byteFieldsKeepLowBits();
    void readInt_data();
    void readInt();
    void handWrittenFile();
    void longFaceNameIsCut_data();
    void longFaceNameIsCut();
    void loadAndSave();
    void saveWithoutFontWritesDefaults();
    void flawedFileIsStoredWithoutFalseAlarm_data();
    void flawedFileIsStoredWithoutFalseAlarm();

private:
    static void writeFile(const QString& path, const QByteArray& content);
    static QByteArray readFile(const QString& path);
};

void tst_Settings::writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray tst_Settings::readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The per-user store of the maker, named after the executable.
void tst_Settings::nativeStoreLocation()
{
    const ProfileStore native;
    QVERIFY2(native.location().endsWith(QStringLiteral("/Brackwen/tst_settings.conf")), qPrintable(native.location()));
}

void tst_Settings::emptyStoreGivesDefaults()
{
    TempProfile profile;
    const SettingsRecord record = readSettingsRecord(profile.store());
    QCOMPARE(record.anotherApp, QString());
    QCOMPARE(record.anotherPort, QString());
    QCOMPARE(record.autoMethod, 0);
    QCOMPARE(record.command, QStringLiteral("AT\\L1"));
    QCOMPARE(record.logFlags, 0);
    QCOMPARE(record.minutes, 5);
    QCOMPARE(record.port, QStringLiteral("NA"));
    QCOMPARE(record.previousNo, QStringLiteral("NA"));
    QCOMPARE(record.marker, QStringLiteral("CALLING"));
    QCOMPARE(record.setting, QStringLiteral("115200,n,8,1"));
    QCOMPARE(record.ringCommand, QString());
    QCOMPARE(record.notify, 1);

    const LogFont font = readLogFont(profile.store());
    QCOMPARE(font.charSet, quint8(0));
    QCOMPARE(font.clipPrecision, quint8(2));
    QCOMPARE(font.escapement, 0);
    QCOMPARE(font.faceName, QByteArray("MS Sans Serif"));
    QCOMPARE(font.height, -19);
    QCOMPARE(font.italic, quint8(0));
    QCOMPARE(font.orientation, 0);
    QCOMPARE(font.outPrecision, quint8(1));
    QCOMPARE(font.pitchAndFamily, quint8(34));
    QCOMPARE(font.quality, quint8(1));
    QCOMPARE(font.strikeOut, quint8(0));
    QCOMPARE(font.underline, quint8(0));
    QCOMPARE(font.weight, 400);
    QCOMPARE(font.width, 0);
}

void tst_Settings::recordRoundTrip()
{
    SettingsRecord record;
    record.anotherApp = QStringLiteral("@Variant(odd) app, \"quoted\"");
    record.anotherPort = QStringLiteral("COM7");
    record.autoMethod = 0x7fff0012;
    record.command = QStringLiteral("ATZ\\L1;#CID=1 ");
    record.logFlags = qint32(0x80000003);
    record.minutes = -1;
    record.port = QStringLiteral("ttyUSB0");
    record.previousNo = QStringLiteral(" 03-12-34 X\tü");
    record.marker = QString();
    record.setting = QStringLiteral("9600,e,7,2");
    record.ringCommand = QStringLiteral("ATE0;+VCID=1");
    record.notify = 0;
    QVERIFY(record != SettingsRecord());

    TempProfile profile;
    writeSettingsRecord(profile.store(), record);
    QCOMPARE(readSettingsRecord(profile.store()), record);
    profile.store().flush();
    QCOMPARE(readSettingsRecord(*profile.reopen()), record);
}

void tst_Settings::storedKeys()
{
    TempProfile profile;
    SettingsRecord record;
    record.autoMethod = 12;
    writeSettingsRecord(profile.store(), record);
    profile.store().flush();

    const QByteArray file = readFile(profile.path());
    QVERIFY(file.startsWith("[ringlet]\n"));
    for (const char* line : {"automethod=12\n", "minuits=5\n", "log=0\n", "previousno=NA\n", "string=CALLING\n",
                             "command=AT\\\\L1\n", "setting=\"115200,n,8,1\"\n", "port=NA\n", "anotherapp=\n",
                             "ringcommand=\n", "notify=1\n"})
        QVERIFY2(file.contains(line), line);
    QCOMPARE(readSettingsRecord(*profile.reopen()).autoMethod, 12);
}

void tst_Settings::fontRoundTrip()
{
    LogFont font;
    font.height = -72;
    font.width = 13;
    font.escapement = 900;
    font.orientation = -900;
    font.weight = 700;
    font.italic = 1;
    font.underline = 255;
    font.strikeOut = 1;
    font.charSet = 204;
    font.outPrecision = 3;
    font.clipPrecision = 128;
    font.quality = 5;
    font.pitchAndFamily = 0x31;
    font.faceName = "Courier New";

    TempProfile profile;
    writeLogFont(profile.store(), font);
    profile.store().flush();
    QCOMPARE(readLogFont(*profile.reopen()), font);
    QVERIFY(readFile(profile.path()).contains("height=-72\n"));
}

void tst_Settings::byteFieldsKeepLowBits_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("loaded");

    QTest::newRow("300") << QByteArray("300") << 44;
    QTest::newRow("255") << QByteArray("255") << 255;
    QTest::newRow("256") << QByteArray("256") << 0;
    QTest::newRow("-1") << QByteArray("-1") << 255;
}

void tst_Settings::byteFieldsKeepLowBits()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, loaded);

    TempProfile profile;
    writeFile(profile.path(), "[font]\ncharset=" + stored + "\nitalic=" + stored + "\n");
    const LogFont font = readLogFont(*profile.reopen());
    QCOMPARE(int(font.charSet), loaded);
    QCOMPARE(int(font.italic), loaded);

    auto store = profile.reopen();
    writeLogFont(*store, font);
    store->flush();
    const QByteArray file = readFile(profile.path());
    QVERIFY(file.contains("charset=" + QByteArray::number(loaded) + "\n"));
    QVERIFY(file.contains("italic=" + QByteArray::number(loaded) + "\n"));
}

void tst_Settings::readInt_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << QByteArray("17") << 17;
    QTest::newRow("negative") << QByteArray("-19") << -19;
    QTest::newRow("blanks around") << QByteArray(" 17 ") << 17;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("too large") << QByteArray("2147483648") << 5;
    QTest::newRow("text") << QByteArray("five") << 5;
    QTest::newRow("trailing text") << QByteArray("12abc") << 5;
    QTest::newRow("hex") << QByteArray("0x10") << 5;
    QTest::newRow("fraction") << QByteArray("1.5") << 5;
    QTest::newRow("empty") << QByteArray("") << 5;
    QTest::newRow("list") << QByteArray("1,2") << 5;
}

void tst_Settings::readInt()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);

    TempProfile profile;
    writeFile(profile.path(), "[ringlet]\nminuits=" + stored + "\n");
    QCOMPARE(readSettingsRecord(*profile.reopen()).minutes, expected);
}

void tst_Settings::handWrittenFile()
{
    TempProfile profile;
    writeFile(profile.path(), "[ringlet]\ncommand=AT\\\\L1\nsetting=2400,n,8,1\nport=COM2\n");
    const SettingsRecord record = readSettingsRecord(*profile.reopen());
    QCOMPARE(record.command, QStringLiteral("AT\\L1"));
    QCOMPARE(record.setting, QStringLiteral("2400,n,8,1"));
    QCOMPARE(record.port, QStringLiteral("COM2"));
    QCOMPARE(record.marker, QStringLiteral("CALLING"));
}

void tst_Settings::longFaceNameIsCut_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("loaded");

    QTest::newRow("31 bytes kept") << QString(31, QLatin1Char('a')) << QByteArray(31, 'a');
    QTest::newRow("40 bytes cut") << QString(40, QLatin1Char('b')) << QByteArray(31, 'b');
    QTest::newRow("no half character") << QString(30, QLatin1Char('c')) + QStringLiteral("éé") << QByteArray(30, 'c');
    QTest::newRow("empty") << QString() << QByteArray();
}

void tst_Settings::longFaceNameIsCut()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, loaded);

    TempProfile profile;
    profile.store().writeString(QStringLiteral("font"), QStringLiteral("facename"), stored);
    QCOMPARE(readLogFont(profile.store()).faceName, loaded);
}

void tst_Settings::loadAndSave()
{
    TempProfile profile;
    SettingsRecord stored;
    stored.port = QStringLiteral("COM3");
    stored.autoMethod = 12;
    LogFont storedFont;
    storedFont.height = 24;
    storedFont.charSet = 44;
    storedFont.faceName = "Arial";
    writeSettingsRecord(profile.store(), stored);
    writeLogFont(profile.store(), storedFont);
    profile.store().flush();

    SettingsRecord record;
    DisplayFont displayFont;
    LoadSettings(*profile.reopen(), record, displayFont);
    QCOMPARE(record, stored);
    QVERIFY(!displayFont.isEmpty());
    QCOMPARE(displayFont.description(), storedFont);

    // What is saved is what the record and the font object hold at close.
    record.setting = QStringLiteral("4800,o,7,1");
    LogFont chosen = storedFont;
    chosen.weight = 700;
    chosen.faceName = "Times New Roman";
    QVERIFY(displayFont.create(chosen));
    auto store = profile.reopen();
    SaveSettings(*store, record, displayFont);

    auto next = profile.reopen();
    QCOMPARE(readSettingsRecord(*next), record);
    QCOMPARE(readLogFont(*next), chosen);
}

void tst_Settings::saveWithoutFontWritesDefaults()
{
    TempProfile profile;
    LogFont odd;
    odd.height = 50;
    odd.faceName = "Odd";
    writeLogFont(profile.store(), odd);

    DisplayFont empty;
    SaveSettings(profile.store(), SettingsRecord(), empty);
    QCOMPARE(readLogFont(*profile.reopen()), LogFont());
}

void tst_Settings::flawedFileIsStoredWithoutFalseAlarm_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("written") << false;
    QTest::newRow("write refused") << true;
}

// A hand-edited file whose flaw the reader reports (a section header without
// its bracket) is written at close like any other, with no word of a loss; a
// write the store refuses is still reported.
void tst_Settings::flawedFileIsStoredWithoutFalseAlarm()
{
    QFETCH(bool, refused);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Brackwen")));
    const QString path = dir.filePath(QStringLiteral("Brackwen/ringlet.conf"));
    writeFile(path, "[ringlet]\nport=ttyS0\n[font\nheight=-20\n");
    ProfileStore store(path);
    MemoryRegistry registry;
    CRingletDlg dlg(store, registry);
    connect(&dlg, &CRingletDlg::settingsWritten, &dlg, [&] { confirmSettingsStored(&dlg, store); });
    dlg.LoadSettings();
    dlg.show();
    dlg.settings().previousNo = QStringLiteral("0444");
    if (refused) {
        // A file where the folder was stops even root.
        QVERIFY(QDir(dir.path()).rename(QStringLiteral("Brackwen"), QStringLiteral("moved")));
        writeFile(dir.filePath(QStringLiteral("Brackwen")), QByteArray());
    }

    MessageBoxWatcher boxes;
    QVERIFY(dlg.close());
    QCOMPARE(boxes.count(), refused ? 1 : 0);
    if (!refused) {
        QCOMPARE(readSettingsRecord(ProfileStore(path)).previousNo, QStringLiteral("0444"));
        QCOMPARE(readLogFont(ProfileStore(path)).height, -20);
    }
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
