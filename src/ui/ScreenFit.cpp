#include "ScreenFit.h"

#include <QMargins>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace {

QMargins frameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QMargins known(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border;
    return QMargins(qMax(known.left(), border), qMax(known.top(), titleBar), qMax(known.right(), border),
                    qMax(known.bottom(), border));
}

// How far to move [low, high] to bring it inside [first, last], low first.
int shiftInto(int low, int high, int first, int last)
{
    int shift = 0;
    if (high > last)
        shift = last - high;
    if (low + shift < first)
        shift = first - low;
    return shift;
}

} // namespace

QSize largestClientSize(const QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QMargins margins = frameMargins(window);
    return screen->availableGeometry().size().shrunkBy(margins);
}

void keepFrameOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = window->geometry().marginsAdded(frameMargins(window));
    const QPoint shift(shiftInto(frame.left(), frame.right(), available.left(), available.right()),
                       shiftInto(frame.top(), frame.bottom(), available.top(), available.bottom()));
    if (!shift.isNull())
        window->move(window->pos() + shift);
}
