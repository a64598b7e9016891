#include "NumberLabel.h"

#include "calls/CallerText.h"

#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextDocument>

namespace {
// A tooltip reads its text as markup when Qt::mightBeRichText() says it may be
// some; such a text goes in escaped, its spaces and line breaks kept.
QString toolTipFor(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
} // namespace

NumberLabel::NumberLabel(QWidget* parent) : QLabel(parent)
{
    // Whatever the modem sends is shown as it stands, never read as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    // Selectable by mouse only: the label takes focus on a click, never from
    // Tab, so the Check button keeps the first focus.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A right-click goes on to the window's own menu (About, Configuration).
    setContextMenuPolicy(Qt::NoContextMenu);
}

void NumberLabel::setCaller(const QString& number, const QString& name)
{
    m_number = number;
    m_name = name;
    // Drawn as announced: no override can reverse the number, no name move it.
    m_shownNumber = CallerText::number(number);
    m_shownName = CallerText::name(name);
    updateShownText();
}

QString NumberLabel::fullText() const
{
    return m_shownName.isEmpty() ? m_shownNumber : m_shownNumber + QStringLiteral(" \u2014 ") + m_shownName;
}

void NumberLabel::setCoveringWidget(QWidget* widget)
{
    if (m_covering)
        m_covering->removeEventFilter(this);
    m_covering = widget;
    if (m_covering)
        m_covering->installEventFilter(this);
    updateShownText();
}

int NumberLabel::coveredWidth() const
{
    if (!m_covering || m_covering->isHidden())
        return 0;
    const QRect covering = m_covering->geometry();
    return qBound(0, geometry().right() - covering.left() + 1, width());
}

void NumberLabel::updateShownText()
{
    const QFontMetrics metrics(font());
    const int margins = 2 * margin() + contentsMargins().left() + contentsMargins().right();
    const int free = qMax(0, width() - margins);
    const int covered = coveredWidth();
    const QString full = fullText();
    // The name is told in the tooltip too, where a long one can be read whole.
    const QString tip = m_shownName.isEmpty() ? m_shownNumber : m_shownNumber + QLatin1Char('\n') + m_shownName;

    // Centred, the text keeps clear of the covered end only if it keeps clear of both.
    if (metrics.horizontalAdvance(full) <= free - 2 * covered) {
        setAlignment(Qt::AlignCenter);
        QLabel::setText(full);
        setToolTip(m_shownName.isEmpty() ? QString() : toolTipFor(tip));
        return;
    }
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int room = free - covered;
    // The number whole and what room is left for the name; a number that does
    // not fit alone is shortened itself, and the name goes.
    QString shown = metrics.elidedText(full, Qt::ElideRight, room);
    if (!m_shownName.isEmpty() && metrics.horizontalAdvance(m_shownNumber) <= room) {
        const QString lead = m_shownNumber + QStringLiteral(" \u2014 ");
        const QString name = metrics.elidedText(m_shownName, Qt::ElideRight, room - metrics.horizontalAdvance(lead));
        shown = name.isEmpty() || name == QStringLiteral("\u2026") ? m_shownNumber : lead + name;
    }
    QLabel::setText(shown);
    setToolTip(shown == full && m_shownName.isEmpty() ? QString() : toolTipFor(tip));
}

void NumberLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateShownText();
}

void NumberLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateShownText();
}

bool NumberLabel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
        updateShownText();
        break;
    default:
        break;
    }
    return QLabel::eventFilter(watched, event);
}

// A copy that reaches the ellipsis takes the rest of the whole text with it,
// so what is pasted is the number, not its shortened picture.
void NumberLabel::keyPressEvent(QKeyEvent* event)
{
    const QString shown = shownText();
    const QString full = fullText();
    const int start = selectionStart();
    if (event->matches(QKeySequence::Copy) && shown != full && start >= 0 &&
        start + selectedText().size() >= shown.size()) {
        QGuiApplication::clipboard()->setText(full.mid(start));
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}
