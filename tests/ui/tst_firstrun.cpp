// The first-run loop of the configuration dialog, and the font chosen from it.
#include "ConfigDlgFixture.h"
#include "base/Settings.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QTest>

namespace {
using Setup = ConfigSetup;

void clickOk(CConfigDlg* dialog)
{
    control<QPushButton>(dialog, "IDOK")->click();
}

void clickCancel(CConfigDlg* dialog)
{
    control<QPushButton>(dialog, "IDCANCEL")->click();
}

// Clicks "Font....", then acts on the font dialog once it is up.
void chooseFont(CConfigDlg* dialog, const std::function<void(QFontDialog*)>& act)
{
    QTimer::singleShot(0, dialog, [act] {
        auto* fonts = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (fonts && fonts->objectName() == QLatin1String("fontDialog"))
            act(fonts);
        else if (QApplication::activeModalWidget())
            QApplication::activeModalWidget()->close();
    });
    control<QPushButton>(dialog, "IDC_FONT")->click();
}
} // namespace

class TestFirstRun : public QObject
{
    Q_OBJECT

private slots:
    void okWithPortEndsTheLoop();
    void okWithoutPortShowsTheDialogAgain();
    void typedPortEndsTheLoopWithNothingListed();
    void cancelLeaves();
    void noLoopOnceAPortIsChosen();
    void chosenFontOutlivesCancel();
    void cancelledFontChoiceKeepsTheLook();
};

void TestFirstRun::okWithPortEndsTheLoop()
{
    Setup setup;
    addPort(setup.registry, "\\Device\\Serial0", "COM1");
    addPort(setup.registry, "\\Device\\Serial1", "COM2");
    ModalDriver<CConfigDlg> driver({clickOk});
    QVERIFY(runFirstRunConfiguration(&setup.main));
    QCOMPARE(driver.dialogsSeen(), 1);
    QCOMPARE(setup.main.settings().port, QStringLiteral("COM1"));
}

void TestFirstRun::okWithoutPortShowsTheDialogAgain()
{
    Setup setup;
    addPort(setup.registry, "\\Device\\Serial0", "COM2");
    ModalDriver<CConfigDlg> driver({clickOk, clickOk, [](CConfigDlg* dialog) {
                                        control<QComboBox>(dialog, "IDC_PORT")->setCurrentIndex(0);
                                        clickOk(dialog);
                                    }});
    QVERIFY(runFirstRunConfiguration(&setup.main));
    QCOMPARE(driver.dialogsSeen(), 3);
    QCOMPARE(setup.main.settings().port, QStringLiteral("COM2"));
}

void TestFirstRun::typedPortEndsTheLoopWithNothingListed()
{
    Setup setup; // the system lists no port at all
    ModalDriver<CConfigDlg> driver({[](CConfigDlg* dialog) {
                                        QTest::keyClicks(control<QComboBox>(dialog, "IDC_PORT")->lineEdit(),
                                                         QStringLiteral("/dev/ttyUSB3"));
                                        clickOk(dialog);
                                    },
                                    clickCancel}); // ends the loop should the dialog come back
    QVERIFY(runFirstRunConfiguration(&setup.main));
    QCOMPARE(driver.dialogsSeen(), 1);
    QCOMPARE(setup.main.settings().port, QStringLiteral("/dev/ttyUSB3"));
}

void TestFirstRun::cancelLeaves()
{
    Setup setup; // an empty device map: no port can ever be chosen
    ModalDriver<CConfigDlg> driver({clickOk, clickCancel});
    QVERIFY(!runFirstRunConfiguration(&setup.main));
    QCOMPARE(driver.dialogsSeen(), 2);
    QCOMPARE(setup.main.settings().port, QStringLiteral("NA"));
}

void TestFirstRun::noLoopOnceAPortIsChosen()
{
    Setup setup;
    setup.main.settings().port = QStringLiteral("COM4");
    ModalDriver<CConfigDlg> driver({clickCancel});
    QVERIFY(runFirstRunConfiguration(&setup.main));
    QCOMPARE(driver.dialogsSeen(), 0);
}

void TestFirstRun::chosenFontOutlivesCancel()
{
    Setup setup;
    setup.main.settings().port = QStringLiteral("COM1");
    setup.main.displayFont().create(LogFont());
    const QString family = QFontDatabase::families().value(0);
    QVERIFY(!family.isEmpty());

    MainConfigDlg dialog(&setup.main);
    QString selected;
    QTimer::singleShot(0, &dialog, [&dialog, &selected, family] {
        chooseFont(&dialog, [&selected, family](QFontDialog* fonts) {
            QFont font(family);
            font.setPointSize(24);
            fonts->setCurrentFont(font);
            fonts->accept();
            selected = fonts->selectedFont().family();
        });
        clickCancel(&dialog);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));

    const LogFont chosen = setup.main.displayFont().description();
    QCOMPARE(QString::fromUtf8(chosen.faceName), selected);
    QCOMPARE(chosen.height, -qRound(24 * setup.main.logicalDpiY() / 72.0));
    QCOMPARE(chosen.charSet, LogFont().charSet);
    QCOMPARE(setup.main.numberLabel()->font().family(), setup.main.displayFont().font().family());

    setup.main.OnClose();
    const LogFont stored = readLogFont(*setup.profile.reopen());
    QCOMPARE(stored.faceName, chosen.faceName);
    QCOMPARE(stored.height, chosen.height);
}

void TestFirstRun::cancelledFontChoiceKeepsTheLook()
{
    Setup setup;
    LogFont description;
    description.charSet = 44;
    description.escapement = 900;
    description.height = -23;
    setup.main.displayFont().create(description);

    MainConfigDlg dialog(&setup.main);
    QTimer::singleShot(0, &dialog, [&dialog] {
        chooseFont(&dialog, [](QFontDialog* fonts) {
            QFont other = fonts->currentFont();
            other.setPointSize(40);
            fonts->setCurrentFont(other);
            fonts->reject();
        });
        clickCancel(&dialog);
    });
    dialog.exec();
    QVERIFY(setup.main.displayFont().description() == description);
    QCOMPARE(setup.main.numberLabel()->font(), setup.main.displayFont().font());
}

QTEST_MAIN(TestFirstRun)
#include "tst_firstrun.moc"
