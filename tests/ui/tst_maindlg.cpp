#include "ConfigDlgFixture.h"
#include "MainWindowRig.h"

#include "app/StoredSettingsCheck.h"
#include "base/Settings.h"
#include "app/TerminationRequests.h"
#include "strings.h"
#include "ui/DialogUnits.h"
#include "ui/MainDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

// The main window's life: what it shows at start and what it stores at the end.
class TestMainDlg : public QObject
{
    Q_OBJECT

private:
    // A main window over a store of its own. With a port chosen, the first-run
    // configuration is skipped.
    struct Window : MainWindowRig
    {
        explicit Window(bool portChosen = true)
        {
            if (portChosen)
                profile.store().writeString(QStringLiteral("ringlet"), QStringLiteral("port"), QStringLiteral("ttyS0"));
        }
    };

    static QStringList storedKeys(const TempProfile& profile)
    {
        QSettings ini(profile.path(), QSettings::IniFormat);
        return ini.allKeys();
    }

    static QMenu* visibleMenu()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
                return menu;
        return nullptr;
    }

    static QStringList actionTexts(const QMenu* menu)
    {
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
        return texts;
    }

    // Ending the program leaves every event loop told to quit; a test goes on
    // only after an application loop has started and ended once.
    static void recoverFromProgramExit()
    {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    // Every way of ending the window must store the run's settings.
    void verifyRunWasStored(const TempProfile& profile, const CRingletDlg& dlg)
    {
        QCOMPARE(readSettingsRecord(*profile.reopen()), dlg.settings());
        QCOMPARE(readLogFont(*profile.reopen()), LogFont());
    }

private slots:
    // People dial back: the area code at the start must never be cut off.
    void longResultShowsItsStartAndCanBeCopiedWhole()
    {
        Window window;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        dlg.show();
        NumberLabel* label = dlg.numberLabel();
        const QString result = QStringLiteral("+1 (555) 012-3456 NAME=JOHN Q PUBLIC, WESTERN TELEPHONE EXCH");
        QCOMPARE(result.size(), 60);
        label->setText(result);
        QVERIFY2(label->shownText().startsWith(QStringLiteral("+1 (555)")), qPrintable(label->shownText()));
        QVERIFY(label->shownText().size() < result.size());
        QCOMPARE(label->text(), result);
        QCOMPARE(label->toolTip(), result);

        label->setSelection(0, label->shownText().size());
        label->setFocus();
        QTest::keySequence(label, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), result);

        label->setText(QStringLiteral("0123"));
        QCOMPARE(label->shownText(), QStringLiteral("0123"));
        QVERIFY(label->alignment() & Qt::AlignHCenter);
        QCOMPARE(label->toolTip(), QString());
    }

    void windowFollowsTheDisplayFontsLineHeight()
    {
        Window window;
        CRingletDlg& dlg = window.dlg;
        window.profile.store().writeInt(QStringLiteral("font"), QStringLiteral("height"), -60);
        dlg.LoadSettings();
        dlg.show();
        const QFontMetrics metrics(dlg.numberLabel()->font());
        QCOMPARE(dlg.numberLabel()->font().pixelSize(), 60);
        QVERIFY2(dlg.numberLabel()->height() >= metrics.height(),
                 qPrintable(QStringLiteral("%1 < %2").arg(dlg.numberLabel()->height()).arg(metrics.height())));
        QVERIFY(dlg.height() >= dlg.numberLabel()->geometry().bottom());
        dlg.numberLabel()->setText(QStringLiteral("+1 (555) 012-3456"));
        QCOMPARE(dlg.numberLabel()->shownText(), QStringLiteral("+1 (555) 012-3456"));

        // A smaller font gives the template's size back.
        dlg.displayFont().create(LogFont());
        dlg.applyDisplayFontToLabel();
        QCOMPARE(dlg.size(), QSize(DialogUnits(dlg.font()).x(233), DialogUnits(dlg.font()).y(26)));
    }

    void fontBeyondTheScreenIsHeldToItAndStoredUnchanged()
    {
        for (const qint32 height : {-100000, 2147483647}) {
            Window window;
            CRingletDlg& dlg = window.dlg;
            window.profile.store().writeInt(QStringLiteral("font"), QStringLiteral("height"), height);
            dlg.LoadSettings();
            dlg.show();
            const QRect screen = dlg.screen()->availableGeometry();
            QVERIFY2(screen.contains(dlg.frameGeometry()), qPrintable(QStringLiteral("%1 px high").arg(dlg.height())));
            QVERIFY(QFontMetrics(dlg.numberLabel()->font()).height() <= dlg.numberLabel()->height());
            QVERIFY(dlg.numberLabel()->font().pixelSize() > DialogUnits(dlg.font()).y(25));
            QVERIFY(dlg.close());
            QCOMPARE(readLogFont(*window.profile.reopen()).height, height);
        }
    }

    void labelStartsEmptyEvenWithAStoredPreviousNumber()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        profile.store().writeString(QStringLiteral("ringlet"), QStringLiteral("previousno"), QStringLiteral("0123"));
        dlg.LoadSettings();
        dlg.show();
        QCOMPARE(dlg.settings().previousNo, QStringLiteral("0123"));
        QCOMPARE(dlg.numberLabel()->text(), QString());
        QCOMPARE(dlg.numberLabel()->textFormat(), Qt::PlainText);
        QVERIFY(dlg.checkButton()->isVisible());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Ringlet"));
    }

    void closeRequestStopsTheTimerAndStoresEveryKey()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        dlg.settings().autoMethod = 8;
        dlg.settings().previousNo = QStringLiteral("0987 654");
        dlg.show();
        dlg.ApplyAutomation();
        QVERIFY(dlg.isCheckTimerActive());

        QVERIFY(dlg.close());
        QVERIFY(!dlg.isCheckTimerActive());
        QVERIFY(!dlg.isVisible());
        verifyRunWasStored(profile, dlg);
        const QStringList keys = storedKeys(profile);
        for (const char* key : {"anotherapp", "anotherport", "automethod", "command", "log", "minuits", "port",
                                "previousno", "string", "setting"})
            QVERIFY2(keys.contains(QStringLiteral("ringlet/") + key), key);
        for (const char* key :
             {"charset", "clipprecision", "escapement", "facename", "height", "italic", "orientation", "outprecision",
              "pitchandfamily", "quality", "strikeout", "underline", "weight", "width"})
            QVERIFY2(keys.contains(QStringLiteral("font/") + key), key);
    }

    void settingsTheStoreRefusesAreReportedOnce()
    {
        QTemporaryDir dir;
        // A file where the maker's folder should be stops even root.
        QFile blocker(dir.filePath(QStringLiteral("Brackwen")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString file = dir.filePath(QStringLiteral("Brackwen/ringlet.conf"));
        ProfileStore store(file);
        MemoryRegistry registry;
        CRingletDlg dlg(store, registry);
        // As the program wires it: the window writes, the start-up side checks and tells.
        connect(&dlg, &CRingletDlg::settingsWritten, &dlg, [&] { confirmSettingsStored(&dlg, store); });
        dlg.LoadSettings();
        dlg.settings().port = QStringLiteral("ttyS0");
        dlg.show();

        MessageBoxWatcher boxes;
        QVERIFY(dlg.close());
        QCOMPARE(boxes.count(), 1);
        const QString expected = QString::fromLatin1(Texts::SettingsNotStored)
                                     .arg(file, QString::fromLatin1(Texts::FileNotFolder).arg(blocker.fileName()));
        QCOMPARE(boxes.texts()[0], expected);
        QVERIFY(!dlg.isVisible());
    }

    void escapeEndsTheWindowThroughTheCloseSequence()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        dlg.show();
        dlg.settings().previousNo = QStringLiteral("changed during the run");
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        verifyRunWasStored(profile, dlg);
    }

    void terminationSignalEndsTheWindowThroughTheCloseSequence()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        dlg.show();
        closeOnTerminationRequest(&dlg);
        dlg.settings().command = QStringLiteral("ATZ");
        std::raise(SIGTERM);
        QTRY_VERIFY(!dlg.isVisible());
        recoverFromProgramExit();
        verifyRunWasStored(profile, dlg);
    }

    void terminationSignalEndsTheWindowThroughOpenDialogs()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        closeOnTerminationRequest(&dlg);
        dlg.settings().previousNo = QStringLiteral("0555");
        QTimer::singleShot(0, &dlg, [&] { dlg.OnSysCommand(0x0020); });
        QTimer::singleShot(200, &dlg, [] { std::raise(SIGTERM); });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        recoverFromProgramExit();
        QVERIFY(!QApplication::activeModalWidget());
        verifyRunWasStored(profile, dlg);
    }

    void terminationSignalDuringTheFirstRunEndsWithoutStoring()
    {
        Window window{false};
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        closeOnTerminationRequest(&dlg);
        QTimer::singleShot(200, &dlg, [] { std::raise(SIGTERM); });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        recoverFromProgramExit();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(storedKeys(profile), QStringList());
    }

    void firstRunCancelEndsWithoutShowingOrStoring()
    {
        Window window{false};
        window.registry.addKey(Registry::SerialDeviceMap);
        window.dlg.LoadSettings();
        ModalDriver<CConfigDlg> driver({[](CConfigDlg* dialog) { control<QPushButton>(dialog, "IDCANCEL")->click(); }});
        QCOMPARE(window.dlg.exec(), int(QDialog::Rejected));
        QCOMPARE(driver.dialogsSeen(), 1);
        QVERIFY(!window.dlg.isVisible());
        QCOMPARE(storedKeys(window.profile), QStringList());
    }

    void windowMenuOffersAboutConfigurationAndTheCallers()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        const QStringList expected{
            QString::fromLatin1(Texts::AboutMenuItem),  QString::fromLatin1(Texts::ConfigMenuItem),
            QString::fromLatin1(Texts::CallHistoryItem), QString::fromLatin1(Texts::NameCallerItem),
            QString::fromLatin1(Texts::ImportContactsItem), QString::fromLatin1(Texts::BlockCallerItem)};
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), dlg.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&dlg, &rightClick);
        QTRY_VERIFY(visibleMenu());
        QCOMPARE(actionTexts(visibleMenu()), expected);
        visibleMenu()->close();
        QTRY_VERIFY(!visibleMenu());

        QTest::keyClick(&dlg, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(visibleMenu());
        QCOMPARE(actionTexts(visibleMenu()), expected);
        visibleMenu()->close();
    }

    void aboutItemRunsTheAboutBox()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        dlg.LoadSettings();
        dlg.show();
        QString title;
        QTimer::singleShot(0, &dlg, [&] {
            QWidget* about = QApplication::activeModalWidget();
            title = about ? about->windowTitle() : QString();
            if (about)
                about->close();
        });
        dlg.OnSysCommand(0x0010 | 0x3); // the low four bits are not part of the command
        QCOMPARE(title, QStringLiteral("About ringlet"));
    }

    void refusedLineSettingIsReportedAndSkipsTheRestOfTheStart()
    {
        Window window;
        TempProfile& profile = window.profile;
        CRingletDlg& dlg = window.dlg;
        profile.store().writeString(QStringLiteral("ringlet"), QStringLiteral("setting"), QStringLiteral("fast,x"));
        profile.store().writeInt(QStringLiteral("ringlet"), QStringLiteral("automethod"), 8);
        dlg.LoadSettings();
        window.boxes.clear(); // only what the start shows counts
        dlg.show();
        QTRY_COMPARE(window.boxes.count(), 1);
        QVERIFY(!dlg.isCheckTimerActive()); // automation was not applied
        QVERIFY(dlg.isVisible());           // the window runs on
    }
};

QTEST_MAIN(TestMainDlg)
#include "tst_maindlg.moc"
