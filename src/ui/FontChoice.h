#pragma once

#include "base/LogFont.h"

#include <QFont>

// Writes a font chosen in the font dialog into a description, the way the
// platform's font chooser fills a logical-font record. Fields Qt has no notion
// of (character set, escapement, orientation, precisions, quality, width) keep
// the values of `previous`. A font sized in points is converted to a character
// height in pixels at `logicalDpi`.
LogFont logFontFromChosenFont(const QFont& chosen, const LogFont& previous, int logicalDpi);
