#include "DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

namespace {
// The average width is taken over the 52 letters, rounded, as the dialog manager does.
int averageCharWidth(const QFontMetrics& metrics)
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
}
} // namespace

DialogUnits::DialogUnits(const QFont& dialogFont)
{
    const QFontMetrics metrics(dialogFont);
    m_baseWidth = qMax(1, averageCharWidth(metrics));
    m_baseHeight = qMax(1, metrics.height());
}

int DialogUnits::x(int units) const
{
    return units * m_baseWidth / 4;
}

int DialogUnits::y(int units) const
{
    return units * m_baseHeight / 8;
}

QRect DialogUnits::rect(int left, int top, int width, int height) const
{
    return QRect(x(left), y(top), x(width), y(height));
}

void DialogUnits::place(QWidget* widget, int left, int top, int width, int height) const
{
    widget->setGeometry(rect(left, top, width, height));
}
