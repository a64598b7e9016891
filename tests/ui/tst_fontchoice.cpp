#include "ui/FontChoice.h"

#include <QTest>

class TestFontChoice : public QObject
{
    Q_OBJECT

private slots:
    void heightFromSize_data();
    void heightFromSize();
    void attributesAreTakenOthersKept();
    void pitchAndFamily_data();
    void pitchAndFamily();
};

void TestFontChoice::heightFromSize_data()
{
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("height");

    QTest::newRow("pixels as they are") << 19 << 0.0 << 96 << -19;
    QTest::newRow("12 pt at 96 dpi") << 0 << 12.0 << 96 << -16;
    QTest::newRow("12 pt at 120 dpi") << 0 << 12.0 << 120 << -20;
    QTest::newRow("10.5 pt rounds") << 0 << 10.5 << 96 << -14;
    QTest::newRow("8 pt at 72 dpi") << 0 << 8.0 << 72 << -8;
}

void TestFontChoice::heightFromSize()
{
    QFETCH(int, pixelSize);
    QFETCH(qreal, pointSize);
    QFETCH(int, dpi);
    QFETCH(int, height);

    QFont font(QStringLiteral("Courier"));
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    else
        font.setPointSizeF(pointSize);
    QCOMPARE(logFontFromChosenFont(font, LogFont(), dpi).height, height);
}

void TestFontChoice::attributesAreTakenOthersKept()
{
    LogFont previous;
    previous.width = 7;
    previous.escapement = 900;
    previous.orientation = 450;
    previous.charSet = 44;
    previous.outPrecision = 3;
    previous.clipPrecision = 4;
    previous.quality = 5;
    previous.italic = 1;

    QFont font(QStringLiteral("Serif Face"));
    font.setPixelSize(30);
    font.setWeight(QFont::Bold);
    font.setUnderline(true);
    font.setStrikeOut(true);
    const LogFont chosen = logFontFromChosenFont(font, previous, 96);
    QCOMPARE(chosen.faceName, QByteArray("Serif Face"));
    QCOMPARE(chosen.weight, 700);
    QCOMPARE(chosen.italic, quint8(0));
    QCOMPARE(chosen.underline, quint8(1));
    QCOMPARE(chosen.strikeOut, quint8(1));

    LogFont expectedKept = chosen;
    expectedKept.width = 7;
    expectedKept.escapement = 900;
    expectedKept.orientation = 450;
    expectedKept.charSet = 44;
    expectedKept.outPrecision = 3;
    expectedKept.clipPrecision = 4;
    expectedKept.quality = 5;
    QVERIFY(chosen == expectedKept);
}

void TestFontChoice::pitchAndFamily_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("hint");
    QTest::addColumn<bool>("fixedPitch");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("pitchAndFamily");

    const auto any = int(QFont::AnyStyle);
    QTest::newRow("same face keeps its family") << "MS Sans Serif" << any << false << 34 << 34;
    QTest::newRow("same face, fixed pitch") << "MS Sans Serif" << any << true << 0x32 << 0x31;
    QTest::newRow("other face without hint") << "Some Face" << any << false << 34 << 2;
    QTest::newRow("other face fixed") << "Some Face" << any << true << 34 << 1;
    QTest::newRow("sans serif") << "Some Face" << int(QFont::SansSerif) << false << 0 << 0x22;
    QTest::newRow("serif") << "Some Face" << int(QFont::Serif) << false << 34 << 0x12;
    QTest::newRow("typewriter") << "Some Face" << int(QFont::TypeWriter) << true << 34 << 0x31;
    QTest::newRow("cursive") << "Some Face" << int(QFont::Cursive) << false << 34 << 0x42;
    QTest::newRow("decorative") << "Some Face" << int(QFont::Decorative) << false << 34 << 0x52;
    QTest::newRow("hint wins over the old family") << "MS Sans Serif" << int(QFont::Serif) << false << 34 << 0x12;
}

void TestFontChoice::pitchAndFamily()
{
    QFETCH(QString, family);
    QFETCH(int, hint);
    QFETCH(bool, fixedPitch);
    QFETCH(int, previous);
    QFETCH(int, pitchAndFamily);

    QFont font;
    font.setFamily(family);
    font.setPixelSize(10);
    font.setStyleHint(QFont::StyleHint(hint));
    font.setFixedPitch(fixedPitch);
    LogFont before;
    before.pitchAndFamily = quint8(previous);
    QCOMPARE(int(logFontFromChosenFont(font, before, 96).pitchAndFamily), pitchAndFamily);
}

QTEST_MAIN(TestFontChoice)
#include "tst_fontchoice.moc"
