#include "DisplayFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QtMath>

namespace {

// Far beyond any readable label; keeps a corrupt profile from asking the font
// engine for absurd glyphs, and -height from overflowing.
constexpr qint64 MaxPixelSize = 4096;

int boundedPixelSize(qint64 pixels)
{
    return static_cast<int>(qBound<qint64>(1, pixels, MaxPixelSize));
}

// A positive height is the cell height, ascent plus descent. Qt sizes fonts by
// the em, so scale the em by how much taller the cell is for this face.
void applyCellHeight(QFont& font, int cellHeight)
{
    font.setPixelSize(cellHeight);
    const qreal cellAtEm = QFontMetricsF(font).height();
    if (cellAtEm > 0)
        font.setPixelSize(boundedPixelSize(qRound(cellHeight * cellHeight / cellAtEm)));
}

void applyHeight(QFont& font, qint32 height)
{
    if (height < 0)
        font.setPixelSize(boundedPixelSize(-static_cast<qint64>(height)));
    else if (height > 0)
        applyCellHeight(font, boundedPixelSize(height));
}

QFont::StyleHint styleHintFromFamily(quint8 pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case 0x10:
        return QFont::Serif;
    case 0x20:
        return QFont::SansSerif;
    case 0x30:
        return QFont::Monospace;
    case 0x40:
        return QFont::Cursive;
    case 0x50:
        return QFont::Fantasy;
    default:
        return QFont::AnyStyle;
    }
}

QFont::StyleStrategy styleStrategyFromQuality(quint8 quality)
{
    switch (quality) {
    case 3:
        return QFont::NoAntialias;
    case 4:
    case 5:
    case 6:
        return QFont::PreferAntialias;
    default:
        return QFont::PreferDefault;
    }
}

} // namespace

QFont fontFromLogFont(const LogFont& description)
{
    QFont font;
    // An empty face leaves the choice to the style hint below.
    font.setFamily(QString::fromUtf8(description.faceName));
    applyHeight(font, description.height);
    const qint32 weight = description.weight == 0 ? QFont::Normal : qBound(1, description.weight, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(description.italic != 0);
    font.setUnderline(description.underline != 0);
    font.setStrikeOut(description.strikeOut != 0);
    const int pitch = description.pitchAndFamily & 0x03;
    if (pitch == 1 || pitch == 2)
        font.setFixedPitch(pitch == 1);
    font.setStyleHint(styleHintFromFamily(description.pitchAndFamily), styleStrategyFromQuality(description.quality));
    return font;
}

QFont fontWithin(const QFont& font, const QSize& room, const QString& sample)
{
    const auto fits = [&](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        return metrics.height() <= room.height() && metrics.horizontalAdvance(sample) <= room.width();
    };
    if (fits(font) || room.height() < 1 || room.width() < 1)
        return font;
    // Scale the em by the share that fits, then step down for faces that do
    // not grow in proportion.
    const QFontMetrics metrics(font);
    const qreal share =
        qMin(qreal(room.height()) / metrics.height(), qreal(room.width()) / qMax(1, metrics.horizontalAdvance(sample)));
    const int em = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    QFont fitted = font;
    int size = qMax(1, static_cast<int>(em * share));
    fitted.setPixelSize(size);
    while (size > 1 && !fits(fitted))
        fitted.setPixelSize(--size);
    return fitted;
}

bool DisplayFont::create(const LogFont& description)
{
    // Qt makes a font from any description, so creation cannot fail here; the
    // description is kept whole because Qt drops fields it cannot render.
    LogFont fitted = description;
    fitted.faceName = LogFont::fitFaceName(description.faceName);
    m_font = fontFromLogFont(fitted);
    m_description = fitted;
    return true;
}

void DisplayFont::clear()
{
    m_description.reset();
    m_font = QFont();
}

LogFont DisplayFont::description() const
{
    return m_description.value_or(LogFont());
}

QFont DisplayFont::font() const
{
    return isEmpty() ? QFont() : m_font;
}
