#pragma once

#include <QFont>
#include <QRect>

class QWidget;

// Converts dialog-template units into pixels from the dialog font's metrics, the
// way dialog templates are laid out: x is a quarter of the average character
// width, y an eighth of the character height. Geometry follows the font.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& dialogFont);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int left, int top, int width, int height) const;

    // Places `widget` at the given template position and size.
    void place(QWidget* widget, int left, int top, int width, int height) const;

private:
    int m_baseWidth;  // average character width in pixels
    int m_baseHeight; // character height in pixels
};
