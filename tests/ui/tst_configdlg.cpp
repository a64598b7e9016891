// The configuration dialog's data: unpacking, the enabling rules, packing on OK,
// the interval check, Cancel and a port setting the serial component refuses.
#include "ConfigDlgFixture.h"
#include "ModemSimulator.h"
#include "NcidPeer.h"
#include "strings.h"

#include "net/NcidServer.h"
#include "ui/StatusDlg.h"
#include "ui/AboutDlg.h"

#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

namespace {
struct Setup : ConfigSetup
{
    Setup()
    {
        addPort(registry, "\\Device\\Serial0", "COM1");
        addPort(registry, "\\Device\\Serial1", "COM2");
        main.settings().port = QStringLiteral("COM1");
    }
};

// Every text a window shows of its own: its title, its labels and its buttons.
QStringList textsOn(const QWidget* window)
{
    QStringList texts{window->windowTitle()};
    for (const QLabel* label : window->findChildren<QLabel*>())
        texts << label->text();
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        texts << button->text();
    return texts;
}

QString checkedMode(const QWidget* dialog)
{
    for (const char* name : {"IDC_EVERY", "IDC_ON_RING", "IDC_ON_APP"}) {
        if (control<QRadioButton>(dialog, name)->isChecked())
            return QString::fromLatin1(name);
    }
    return QString();
}
} // namespace

class TestConfigDlg : public QObject
{
    Q_OBJECT

private slots:
    void storedValuesAreUnpacked_data();
    void storedValuesAreUnpacked();
    void okWithoutChangesPacksAfresh_data();
    void okWithoutChangesPacksAfresh();
    void automateRulesOnClicks();
    void logRulesOnClicks();
    void editsAreWrittenOnOk();
    void ncidFieldsAreEditedAtTheFoot();
    void intervalIsRefused_data();
    void intervalIsRefused();
    void storedIntervalBelowOneLoadsWhileUnused();
    void cancelChangesNothing();
    void refusedPortKeepsDialogOpen();
    void templateOrderAndTexts();
    void fixedTextsAreSpelledAsUsersKnowThem();
};

void TestConfigDlg::storedValuesAreUnpacked_data()
{
    QTest::addColumn<int>("autoMethod");
    QTest::addColumn<int>("logFlags");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("automate");
    QTest::addColumn<bool>("disableManual");
    QTest::addColumn<QString>("enabledField"); // the one parameter field enabled, if any
    QTest::addColumn<bool>("ignoreSame");
    QTest::addColumn<bool>("ignoreSameEnabled");

    QTest::newRow("4: disable manual without automate")
        << 4 << 0 << "IDC_EVERY" << false << false << "" << false << false;
    QTest::newRow("14: another app") << 14 << 0 << "IDC_ON_APP" << true << true << "IDC_ANOTHER_APP" << false << false;
    QTest::newRow("9: on ring") << 9 << 0 << "IDC_ON_RING" << true << false << "IDC_ANOTHER_PORT" << false << false;
    QTest::newRow("8: every") << 8 << 0 << "IDC_EVERY" << true << false << "IDC_MINUTES" << false << false;
    QTest::newRow("11: invalid mode checks none") << 11 << 0 << "" << true << false << "" << false << false;
    QTest::newRow("log 2: ignore same greyed") << 0 << 2 << "IDC_EVERY" << false << false << "" << true << false;
    QTest::newRow("log 3") << 0 << 3 << "IDC_EVERY" << false << false << "" << true << true;
    QTest::newRow("log 1") << 0 << 1 << "IDC_EVERY" << false << false << "" << false << true;
}

void TestConfigDlg::storedValuesAreUnpacked()
{
    QFETCH(int, autoMethod);
    QFETCH(int, logFlags);
    QFETCH(QString, mode);
    QFETCH(bool, automate);
    QFETCH(bool, disableManual);
    QFETCH(QString, enabledField);
    QFETCH(bool, ignoreSame);
    QFETCH(bool, ignoreSameEnabled);

    Setup setup;
    setup.main.settings().autoMethod = autoMethod;
    setup.main.settings().logFlags = logFlags;
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();

    QCOMPARE(checkedMode(&dialog), mode);
    QCOMPARE(control<QCheckBox>(&dialog, "IDC_AUTOMATE")->isChecked(), automate);
    QCOMPARE(control<QCheckBox>(&dialog, "IDC_DISABLE_MANUAL")->isChecked(), disableManual);
    QCOMPARE(control<QCheckBox>(&dialog, "IDC_DISABLE_MANUAL")->isEnabled(), automate);
    QCOMPARE(control<QRadioButton>(&dialog, "IDC_EVERY")->isEnabled(), automate);
    for (const char* field : {"IDC_MINUTES", "IDC_ANOTHER_PORT", "IDC_ANOTHER_APP"})
        QCOMPARE(control<QWidget>(&dialog, field)->isEnabled(), enabledField == QLatin1String(field));
    QCOMPARE(control<QCheckBox>(&dialog, "IDC_IGNORE_SAME")->isChecked(), ignoreSame);
    QCOMPARE(control<QCheckBox>(&dialog, "IDC_IGNORE_SAME")->isEnabled(), ignoreSameEnabled);
    QCOMPARE(setup.boxes.count(), 0);
}

void TestConfigDlg::okWithoutChangesPacksAfresh_data()
{
    QTest::addColumn<int>("autoMethod");
    QTest::addColumn<int>("logFlags");
    QTest::addColumn<int>("storedAutoMethod");
    QTest::addColumn<int>("storedLogFlags");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("4 becomes 0") << 4 << 0 << 0 << 0 << QStringList();
    QTest::newRow("14 stays, no application named")
        << 14 << 0 << 14 << 0
        << QStringList{"No application is named for \"On Another app activated\": activating one starts no check."};
    QTest::newRow("log 2 stays") << 0 << 2 << 0 << 2 << QStringList();
    QTest::newRow("unknown bits cleared") << (0x7F10 | 12) << (0x100 | 3) << 12 << 3 << QStringList();
    QTest::newRow("invalid mode kept, reported") << 11 << 0 << 11 << 0 << QStringList{"Automation error 11"};
    QTest::newRow("invalid mode kept, not armed") << 7 << 0 << 3 << 0 << QStringList();
}

void TestConfigDlg::okWithoutChangesPacksAfresh()
{
    QFETCH(int, autoMethod);
    QFETCH(int, logFlags);
    QFETCH(int, storedAutoMethod);
    QFETCH(int, storedLogFlags);
    QFETCH(QStringList, messages);

    Setup setup;
    setup.main.settings().autoMethod = autoMethod;
    setup.main.settings().logFlags = logFlags;
    MainConfigDlg dialog(&setup.main);
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().autoMethod, storedAutoMethod);
    QCOMPARE(setup.main.settings().logFlags, storedLogFlags);
    QCOMPARE(setup.boxes.texts(), messages);
}

void TestConfigDlg::automateRulesOnClicks()
{
    Setup setup;
    setup.main.settings().autoMethod = 12;
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    auto* automate = control<QCheckBox>(&dialog, "IDC_AUTOMATE");
    auto* disableManual = control<QCheckBox>(&dialog, "IDC_DISABLE_MANUAL");
    auto* onRing = control<QRadioButton>(&dialog, "IDC_ON_RING");
    QVERIFY(disableManual->isChecked());
    QVERIFY(control<QLineEdit>(&dialog, "IDC_MINUTES")->isEnabled());

    automate->click();
    QVERIFY(!disableManual->isChecked());
    QVERIFY(!disableManual->isEnabled());
    QVERIFY(!onRing->isEnabled());
    QVERIFY(!control<QLineEdit>(&dialog, "IDC_MINUTES")->isEnabled());
    // The mode keeps its check while greyed.
    QVERIFY(control<QRadioButton>(&dialog, "IDC_EVERY")->isChecked());

    automate->click();
    QVERIFY(!disableManual->isChecked());
    QVERIFY(disableManual->isEnabled());
    QVERIFY(control<QLineEdit>(&dialog, "IDC_MINUTES")->isEnabled());

    onRing->click();
    QVERIFY(!control<QLineEdit>(&dialog, "IDC_MINUTES")->isEnabled());
    QVERIFY(control<QComboBox>(&dialog, "IDC_ANOTHER_PORT")->isEnabled());
    QVERIFY(control<QLineEdit>(&dialog, "IDC_RING_COMMAND")->isEnabled());
    control<QRadioButton>(&dialog, "IDC_ON_APP")->click();
    QVERIFY(!control<QComboBox>(&dialog, "IDC_ANOTHER_PORT")->isEnabled());
    QVERIFY(!control<QLineEdit>(&dialog, "IDC_RING_COMMAND")->isEnabled());
    QVERIFY(control<QLineEdit>(&dialog, "IDC_ANOTHER_APP")->isEnabled());
}

void TestConfigDlg::logRulesOnClicks()
{
    Setup setup;
    setup.main.settings().logFlags = 3;
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    auto* enableLog = control<QCheckBox>(&dialog, "IDC_ENABLE_LOG");
    auto* ignoreSame = control<QCheckBox>(&dialog, "IDC_IGNORE_SAME");

    enableLog->click();
    QVERIFY(!ignoreSame->isEnabled());
    QVERIFY(ignoreSame->isChecked());
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().logFlags, 2);
}

void TestConfigDlg::editsAreWrittenOnOk()
{
    Setup setup;
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    control<QLineEdit>(&dialog, "IDC_COMMAND")->setText(QStringLiteral("ATZ"));
    control<QLineEdit>(&dialog, "IDC_MARKER")->setText(QString());
    control<QCheckBox>(&dialog, "IDC_ENABLE_LOG")->click();
    control<QCheckBox>(&dialog, "IDC_IGNORE_SAME")->click();
    control<QCheckBox>(&dialog, "IDC_AUTOMATE")->click();
    control<QCheckBox>(&dialog, "IDC_DISABLE_MANUAL")->click();
    control<QLineEdit>(&dialog, "IDC_MINUTES")->setText(QStringLiteral(" 7 "));
    // Fields of the modes not chosen are stored as well.
    control<QRadioButton>(&dialog, "IDC_ON_APP")->click();
    control<QLineEdit>(&dialog, "IDC_ANOTHER_APP")->setText(QStringLiteral("notepad"));
    control<QRadioButton>(&dialog, "IDC_ON_RING")->click();
    control<QComboBox>(&dialog, "IDC_ANOTHER_PORT")->setCurrentIndex(1);
    control<QLineEdit>(&dialog, "IDC_RING_COMMAND")->setText(QStringLiteral("AT+VCID=1"));
    control<QCheckBox>(&dialog, "IDC_NOTIFY")->click();

    QVERIFY(pressOk(dialog));
    const SettingsRecord& record = setup.main.settings();
    QCOMPARE(record.command, QStringLiteral("ATZ"));
    QCOMPARE(record.marker, QString());
    QCOMPARE(record.minutes, 7);
    QCOMPARE(record.anotherApp, QStringLiteral("notepad"));
    QCOMPARE(record.anotherPort, QStringLiteral("COM2"));
    QCOMPARE(record.ringCommand, QStringLiteral("AT+VCID=1"));
    QCOMPARE(record.notify, 0);
    QCOMPARE(record.logFlags, 3);
    QCOMPARE(record.autoMethod, 1 + 4 + 8);
    // Applied at once: the Check button went.
    QVERIFY(setup.main.checkButton()->isHidden());
}

// Below the detection line, with words on who sees the calls; applied at once.
void TestConfigDlg::ncidFieldsAreEditedAtTheFoot()
{
    Setup setup;
    setup.main.settings().ncidServer = QStringLiteral("desk-a");
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    auto* server = control<QLineEdit>(&dialog, "IDC_NCID_SERVER");
    auto* listen = control<QLineEdit>(&dialog, "IDC_NCID_LISTEN");
    auto* warning = control<QLabel>(&dialog, "IDC_NCID_WARNING");
    QCOMPARE(server->text(), QStringLiteral("desk-a"));
    QVERIFY(server->geometry().top() >= control<QLabel>(&dialog, "IDC_DETECTED")->geometry().bottom());
    QVERIFY(dialog.rect().contains(warning->geometry()));
    QVERIFY(warning->text().startsWith(QStringLiteral("Every computer that can reach this address sees the calls")));

    const QString address = QStringLiteral("127.0.0.1:%1").arg(NcidPeer::freePort());
    server->clear();
    listen->setText(QStringLiteral(" %1 ").arg(address));
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().ncidServer, QString());
    QCOMPARE(setup.main.settings().ncidListen, address);
    QVERIFY(setup.main.desk().ncidServer().isListening());
}

void TestConfigDlg::intervalIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const QString notAnInteger = QString::fromLatin1(Texts::NotAnInteger);
    const QString atLeastOne = QString::fromLatin1(Texts::MinutesAtLeastOne);
    QTest::newRow("empty") << "" << notAnInteger;
    QTest::newRow("trailing letters") << "12x" << notAnInteger;
    QTest::newRow("past 32 bits") << "2147483648" << notAnInteger;
    QTest::newRow("zero") << "0" << atLeastOne;
    QTest::newRow("negative") << "-3" << atLeastOne;
}

void TestConfigDlg::intervalIsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, message);

    Setup setup;
    setup.main.settings().autoMethod = 8;
    const SettingsRecord before = setup.main.settings();
    MainConfigDlg dialog(&setup.main);
    bool openAfterOk = false;
    QString textAfterOk;
    QTimer::singleShot(0, &dialog, [&] {
        control<QLineEdit>(&dialog, "IDC_COMMAND")->setText(QStringLiteral("ATZ"));
        control<QComboBox>(&dialog, "IDC_PORT")->setCurrentIndex(1);
        control<QLineEdit>(&dialog, "IDC_MINUTES")->setText(text);
        control<QPushButton>(&dialog, "IDOK")->click();
        openAfterOk = dialog.isVisible();
        textAfterOk = control<QLineEdit>(&dialog, "IDC_MINUTES")->text();
        dialog.reject();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(setup.boxes.texts(), QStringList{message});
    QVERIFY(openAfterOk);
    QCOMPARE(textAfterOk, text);
    QVERIFY(setup.main.settings() == before);
    QVERIFY(!setup.main.isCheckTimerActive());
}

void TestConfigDlg::storedIntervalBelowOneLoadsWhileUnused()
{
    Setup setup;
    setup.main.settings().minutes = 0;
    MainConfigDlg dialog(&setup.main);
    dialog.OnInitDialog();
    QCOMPARE(control<QLineEdit>(&dialog, "IDC_MINUTES")->text(), QStringLiteral("0"));
    QVERIFY(pressOk(dialog));
    QCOMPARE(setup.main.settings().minutes, 0);
    QCOMPARE(setup.boxes.count(), 0);
}

void TestConfigDlg::cancelChangesNothing()
{
    Setup setup;
    setup.main.settings().autoMethod = 14;
    setup.main.settings().logFlags = 1;
    const SettingsRecord before = setup.main.settings();
    MainConfigDlg dialog(&setup.main);
    QTimer::singleShot(0, &dialog, [&] {
        control<QComboBox>(&dialog, "IDC_PORT")->setCurrentIndex(1);
        control<QLineEdit>(&dialog, "IDC_COMMAND")->setText(QStringLiteral("ATZ"));
        control<QCheckBox>(&dialog, "IDC_AUTOMATE")->click();
        control<QCheckBox>(&dialog, "IDC_ENABLE_LOG")->click();
        control<QLineEdit>(&dialog, "IDC_MINUTES")->setText(QStringLiteral("x"));
        control<QPushButton>(&dialog, "IDCANCEL")->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(setup.main.settings() == before);
    QVERIFY(!setup.main.checkButton()->isHidden());
    QCOMPARE(setup.boxes.count(), 0);
}

void TestConfigDlg::refusedPortKeepsDialogOpen()
{
    Setup setup;
    setup.main.settings().setting = QStringLiteral("fast,q,9,3");
    MainConfigDlg dialog(&setup.main);
    bool openAfterOk = false;
    QTimer::singleShot(0, &dialog, [&] {
        control<QComboBox>(&dialog, "IDC_PORT")->setCurrentIndex(1);
        control<QCheckBox>(&dialog, "IDC_AUTOMATE")->click();
        control<QPushButton>(&dialog, "IDOK")->click();
        openAfterOk = dialog.isVisible();
        dialog.reject();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(setup.boxes.count(), 1);
    QVERIFY(openAfterOk);
    // Written before the port was refused; the automation was not applied.
    QCOMPARE(setup.main.settings().port, QStringLiteral("COM2"));
    QCOMPARE(setup.main.settings().autoMethod, 8);
    QVERIFY(!setup.main.isCheckTimerActive());
}

void TestConfigDlg::templateOrderAndTexts()
{
    Setup setup;
    MainConfigDlg dialog(&setup.main);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration"));
    QCOMPARE(control<QCheckBox>(&dialog, "IDC_IGNORE_SAME")->text(), QStringLiteral("Ignore Same Nomber"));
    QCOMPARE(control<QPushButton>(&dialog, "IDC_FONT")->text(), QStringLiteral("Font...."));
    QVERIFY(control<QPushButton>(&dialog, "IDOK")->isDefault());

    const QStringList tabStops{"IDC_PORT",         "IDC_COMMAND",      "IDC_MARKER",      "IDC_ENABLE_LOG",
                               "IDC_IGNORE_SAME",  "IDC_NOTIFY",       "IDC_AUTOMATE",    "IDC_DISABLE_MANUAL",
                               "IDC_EVERY",        "IDC_ON_RING",      "IDC_ON_APP",      "IDC_MINUTES",
                               "IDC_ANOTHER_PORT", "IDC_RING_COMMAND", "IDC_ANOTHER_APP", "IDOK",
                               "IDCANCEL",         "IDC_FONT",         "IDC_DETECT",      "IDC_NCID_SERVER",
                               "IDC_NCID_LISTEN"};
    QStringList chain;
    QWidget* widget = control<QWidget>(&dialog, "IDC_PORT");
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != control<QWidget>(&dialog, "IDC_PORT") && chain.size() < 40);
    chain = chain.filter(QRegularExpression(QStringLiteral("^ID"))); // not the combo boxes' own line edits
    QCOMPARE(chain, tabStops);
}

// The program's own texts, misspellings included, are what its users know and
// look for: a "correction" of one is a fault. Spelled out here on purpose.
void TestConfigDlg::fixedTextsAreSpelledAsUsersKnowThem()
{
    Setup setup;
    MainConfigDlg dialog(&setup.main);
    CAboutDlg about(&setup.main);
    QMenu* windowMenu = setup.main.createWindowMenu();
    QStringList shown = textsOn(&dialog) + textsOn(&about) + textsOn(&setup.main);
    for (const QAction* action : windowMenu->actions())
        shown << action->text();
    for (const char* text : {"Configuration",
                             "COM port",
                             "Nomber Dispaying AT Command",
                             "String before Nomber",
                             "Minuits",
                             "Enable Log",
                             "Ignore Same Nomber",
                             "Automate",
                             "Disable Manual Check",
                             "Check Nomber every",
                             "On Ring another com port",
                             "On Another app activated",
                             "OK",
                             "Cancel",
                             "Font....",
                             "About ringlet",
                             "ringlet Version 1.0",
                             "Caller number display",
                             "Ringlet",
                             "Check",
                             "&About ringlet...",
                             "Configuration..."})
        QVERIFY2(shown.contains(QLatin1String(text)), text);

    // Shown only while a check runs, and as its result: read off the status
    // window and the number label during a check whose number line never ends.
    // The other fixed texts are read where they appear: "Can't find string" in
    // tst_checknumber, the message boxes in tst_automation and tst_configports.
    ModemSimulator modem({QStringLiteral("--no-crlf")});
    QVERIFY(modem.start());
    setup.main.settings().port = modem.devicePath();
    setup.main.show();
    QStringList statusTexts;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&statusTexts] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            const auto* status = qobject_cast<CStatusDlg*>(window);
            const auto* label = status ? status->findChild<QLabel*>(QStringLiteral("IDC_STATUS_TEXT")) : nullptr;
            if (label && status->isVisible() && !statusTexts.contains(label->text()))
                statusTexts << label->text();
        }
    });
    watch.start(20);
    QTest::mouseClick(setup.main.checkButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!setup.main.desk().isChecking(), 5000);
    watch.stop();
    QCOMPARE(statusTexts, (QStringList{"Opening COM port...", "Sending Command..."}));
    QCOMPARE(setup.main.numberLabel()->text(), QStringLiteral("BUFFER EMPTY"));
    QCOMPARE(setup.boxes.count(), 0);
}

QTEST_MAIN(TestConfigDlg)
#include "tst_configdlg.moc"
