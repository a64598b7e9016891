#include "ui/AppIcon.h"

#include <QImage>
#include <QtTest>

#include <cstdlib>

// The installed desktop icon is drawn from an SVG, the window icon from an XPM;
// a menu entry and the window it opens should show the same picture.
class tst_AppIcon : public QObject
{
    Q_OBJECT

private slots:
    void installedIconDrawsTheWindowIcon();
};

namespace {
bool samePixel(QRgb a, QRgb b)
{
    const bool opaqueA = qAlpha(a) >= 128;
    if (opaqueA != (qAlpha(b) >= 128))
        return false;
    // Anti-aliased edges keep their colour and vary only in alpha.
    return !opaqueA || (std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
                        std::abs(qBlue(a) - qBlue(b)) < 40);
}
} // namespace

void tst_AppIcon::installedIconDrawsTheWindowIcon()
{
    const QImage installed = QImage(QStringLiteral(RINGLET_ICON_PNG32)).convertToFormat(QImage::Format_ARGB32);
    const QImage window = appIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(installed.size(), QSize(32, 32));
    QCOMPARE(window.size(), QSize(32, 32));
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            differing += samePixel(installed.pixel(x, y), window.pixel(x, y)) ? 0 : 1;
    // Only the edge pixels of the circles may fall differently.
    QVERIFY2(differing <= 32, qPrintable(QStringLiteral("%1 of 1024 pixels differ").arg(differing)));
}

QTEST_MAIN(tst_AppIcon)
#include "tst_appicon.moc"
