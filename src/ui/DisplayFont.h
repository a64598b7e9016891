#pragma once

#include "base/LogFont.h"

#include <QFont>
#include <QSize>
#include <QString>
#include <optional>

// The number label's font: created from a description and read back into one.
// The description travels inside the object, so fields Qt has no use for
// survive until the font is stored again.
class DisplayFont
{
public:
    // Replaces whatever the object held. Returns false, leaving the object empty,
    // when no font can be made from the description.
    bool create(const LogFont& description);
    void clear();
    bool isEmpty() const { return !m_description.has_value(); }

    // The description of the font held; the defaults when the object is empty.
    LogFont description() const;
    // The Qt font to draw with; the application's default font when empty.
    QFont font() const;

private:
    std::optional<LogFont> m_description;
    QFont m_font;
};

// How a description maps onto a Qt font.
QFont fontFromLogFont(const LogFont& description);

// `font`, or the largest smaller size of it whose line height is at most
// `room`'s height and in which `sample` is at most `room`'s width: a font
// larger than the screen would show nothing.
QFont fontWithin(const QFont& font, const QSize& room, const QString& sample);
