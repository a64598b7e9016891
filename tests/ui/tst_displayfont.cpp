#include "ui/DisplayFont.h"

#include <QFontMetricsF>
#include <QtTest>

class tst_DisplayFont : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void mapping_data();
    void mapping();
    void heights_data();
    void heights();
    void cellHeight();
    void everyFieldRoundTrips();
    void longFaceNameIsCut();
    void emptyObject();
};

void tst_DisplayFont::defaults()
{
    DisplayFont displayFont;
    QVERIFY(displayFont.create(LogFont()));
    const QFont font = displayFont.font();
    QCOMPARE(font.pixelSize(), 19);
    QCOMPARE(font.weight(), QFont::Normal);
    QCOMPARE(int(font.weight()), 400);
    QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(font.styleHint(), QFont::SansSerif);
    QVERIFY(!font.fixedPitch());
    QVERIFY(!font.italic());
    QVERIFY(!font.underline());
    QVERIFY(!font.strikeOut());
    QCOMPARE(font.styleStrategy(), QFont::PreferDefault);
}

void tst_DisplayFont::mapping_data()
{
    QTest::addColumn<int>("pitchAndFamily");
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QFont::StyleHint>("hint");
    QTest::addColumn<bool>("fixedPitch");
    QTest::addColumn<QFont::StyleStrategy>("strategy");
    QTest::addColumn<int>("qtWeight");

    QTest::newRow("fixed roman, non-antialiased")
        << 0x11 << 3 << 700 << QFont::Serif << true << QFont::NoAntialias << 700;
    QTest::newRow("variable swiss, antialiased")
        << 0x22 << 4 << 100 << QFont::SansSerif << false << QFont::PreferAntialias << 100;
    QTest::newRow("modern, cleartype") << 0x31 << 5 << 0 << QFont::Monospace << true << QFont::PreferAntialias << 400;
    QTest::newRow("script, natural cleartype")
        << 0x40 << 6 << 900 << QFont::Cursive << false << QFont::PreferAntialias << 900;
    QTest::newRow("decorative, draft") << 0x52 << 1 << 1000 << QFont::Fantasy << false << QFont::PreferDefault << 1000;
    QTest::newRow("don't care") << 0x00 << 0 << 400 << QFont::AnyStyle << false << QFont::PreferDefault << 400;
    QTest::newRow("unknown family, pitch 3")
        << 0x63 << 2 << 1200 << QFont::AnyStyle << false << QFont::PreferDefault << 1000;
}

void tst_DisplayFont::mapping()
{
    QFETCH(int, pitchAndFamily);
    QFETCH(int, quality);
    QFETCH(int, weight);

    LogFont description;
    description.pitchAndFamily = quint8(pitchAndFamily);
    description.quality = quint8(quality);
    description.weight = weight;
    const QFont font = fontFromLogFont(description);

    QTEST(font.styleHint(), "hint");
    QTEST(font.fixedPitch(), "fixedPitch");
    QTEST(font.styleStrategy(), "strategy");
    QTEST(int(font.weight()), "qtWeight");
}

void tst_DisplayFont::heights_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("pixelSize");

    QTest::newRow("character height") << -40 << 40;
    QTest::newRow("one pixel") << -1 << 1;
    QTest::newRow("absurd") << int(-2147483647 - 1) << 4096;
    QTest::newRow("default size") << 0 << QFont().pixelSize();
}

void tst_DisplayFont::heights()
{
    QFETCH(int, height);
    LogFont description;
    description.height = height;
    QTEST(fontFromLogFont(description).pixelSize(), "pixelSize");
}

// A positive height asks for the cell, ascent plus descent, rather than the em.
void tst_DisplayFont::cellHeight()
{
    LogFont description;
    description.height = 60;
    description.faceName = "DejaVu Sans";
    const QFont font = fontFromLogFont(description);
    QVERIFY(font.pixelSize() > 0);
    QVERIFY(qAbs(QFontMetricsF(font).height() - 60) <= 2);
}

void tst_DisplayFont::everyFieldRoundTrips()
{
    LogFont description;
    description.height = 123;
    description.width = -7;
    description.escapement = 2700;
    description.orientation = 450;
    description.weight = 1234;
    description.italic = 2;
    description.underline = 3;
    description.strikeOut = 4;
    description.charSet = 255;
    description.outPrecision = 7;
    description.clipPrecision = 0x40;
    description.quality = 99;
    description.pitchAndFamily = 0xF3;
    description.faceName = "";

    DisplayFont displayFont;
    QVERIFY(displayFont.create(description));
    QCOMPARE(displayFont.description(), description);

    description.faceName = "Nonexistent Face";
    description.height = -2147483647 - 1;
    QVERIFY(displayFont.create(description));
    QCOMPARE(displayFont.description(), description);
}

void tst_DisplayFont::longFaceNameIsCut()
{
    LogFont description;
    description.faceName = QByteArray("0123456789012345678901234567890123456789");
    DisplayFont displayFont;
    QVERIFY(displayFont.create(description));
    QCOMPARE(displayFont.description().faceName, QByteArray("0123456789012345678901234567890"));
    QCOMPARE(displayFont.font().family(), QStringLiteral("0123456789012345678901234567890"));

    description.faceName = QByteArray(29, 'x') + "\xe2\x82\xac" + "tail";
    QVERIFY(displayFont.create(description));
    QCOMPARE(displayFont.description().faceName, QByteArray(29, 'x'));

    description.faceName = QByteArray("Arial\0Bold", 10);
    QVERIFY(displayFont.create(description));
    QCOMPARE(displayFont.description().faceName, QByteArray("Arial"));
}

void tst_DisplayFont::emptyObject()
{
    DisplayFont displayFont;
    QVERIFY(displayFont.isEmpty());
    QCOMPARE(displayFont.description(), LogFont());
    QCOMPARE(displayFont.font(), QFont());

    LogFont description;
    description.faceName = "Serif";
    QVERIFY(displayFont.create(description));
    QVERIFY(!displayFont.isEmpty());
    displayFont.clear();
    QVERIFY(displayFont.isEmpty());
    QCOMPARE(displayFont.description(), LogFont());
    QCOMPARE(displayFont.font(), QFont());
}

QTEST_MAIN(tst_DisplayFont)
#include "tst_displayfont.moc"
