#include "check/AppActivationRule.h"

#include <QTest>

// Which application counts as the named one.
class TestAppActivationRule : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheNamedApplication_data()
    {
        QTest::addColumn<QString>("anotherApp");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QStringList>("classes");
        QTest::addColumn<bool>("matches");

        const QStringList noClass;
        QTest::newRow("executable, any case, .exe on either side") << " Notepad.EXE "
                                                                   << "notepad.exe" << noClass << true;
        QTest::newRow("executable without .exe") << "notepad"
                                                 << "NOTEPAD.exe" << noClass << true;
        QTest::newRow("class instance, no pid") << "xlogo"
                                                << "" << QStringList{"xlogo", "XLogo"} << true;
        QTest::newRow("class name") << "Firefox"
                                    << "" << QStringList{"Navigator", "firefox"} << true;
        QTest::newRow("part of a name is no match") << "note"
                                                    << "notepad.exe" << QStringList{"Notepad"} << false;
        QTest::newRow("another application") << "xlogo"
                                             << "xcalc" << QStringList{"xcalc", "XCalc"} << false;
        QTest::newRow("name that is only .exe") << ".exe"
                                                << "" << QStringList{"exe"} << false;
        QTest::newRow("non-ASCII executable, other case")
            << QStringLiteral("CAFÉ.EXE") << QStringLiteral("café") << noClass << true;
        QTest::newRow("non-ASCII class, other case")
            << QStringLiteral("Ærø") << "" << QStringList{QStringLiteral("ærø"), QStringLiteral("ÆRØ")} << true;
        QTest::newRow("composed and decomposed letter")
            << QStringLiteral("caf\u00e9") << QStringLiteral("cafe\u0301") << noClass << true;
        QTest::newRow("another accent is another name")
            << QStringLiteral("café") << QStringLiteral("cafe") << QStringList{QStringLiteral("cafè")} << false;
    }

    void matchesTheNamedApplication()
    {
        QFETCH(QString, anotherApp);
        QFETCH(QString, executable);
        QFETCH(QStringList, classes);
        QFETCH(bool, matches);

        ForegroundApp app;
        app.executable = executable.toStdString();
        for (const QString& name : classes)
            app.classes.push_back(name.toStdString());
        QCOMPARE(AppActivationRule(anotherApp).matches(app), matches);
        app.ownProcess = true;
        QVERIFY(!AppActivationRule(anotherApp).matches(app));
    }

    void blankNameNamesNothing() { QVERIFY(!AppActivationRule(QStringLiteral(" \t")).namesAnApplication()); }
};

QTEST_MAIN(TestAppActivationRule)
#include "tst_appactivationrule.moc"
