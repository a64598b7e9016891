#include "StatusDlg.h"

#include "resource.h"
#include "strings.h"
#include "DialogUnits.h"

#include <QLabel>
#include <QScreen>
#include <QTimerEvent>

namespace {
// Around the template's one line of text: room for a raised frame, so the
// window stands out from the number it is shown over.
constexpr int PaddingUnits = 3;
} // namespace

CStatusDlg::CStatusDlg(QWidget* parent, Focus focus) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("IDD_STATUS"));
    setModal(true);
    if (focus == Focus::Leave) {
        // Shown, and modal to Ringlet's own windows, without taking the
        // keyboard from the program in front.
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    }
    // A frameless window is not always painted behind its text: without its
    // own background the number under it shows through.
    setAutoFillBackground(true);
    const DialogUnits du(font());
    setFixedSize(du.x(82 + 2 * PaddingUnits), du.y(8 + 2 * PaddingUnits));

    m_text = new QLabel(QString::fromLatin1(Texts::OpeningPort), this);
    m_text->setObjectName(QStringLiteral("IDC_STATUS_TEXT"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_text->setAutoFillBackground(true);
    m_text->setGeometry(rect());
}

CStatusDlg::~CStatusDlg() = default;

void CStatusDlg::ShowTimedStatus(const QString& text, int ms)
{
    statusText = text;
    m_waitMs = ms;
    // A timed check while the user has minimised the program runs its second
    // without putting a window on the screen.
    const QWidget* owner = parentWidget();
    setAttribute(Qt::WA_DontShowOnScreen, owner && owner->isMinimized());
    centreOverOwner();
    setWindowModality(Qt::ApplicationModal);
    show();
}

// Qt centres a dialog over its parent only on its first showing; a window
// manager then places later showings itself, often in a corner. So every run
// is placed here: over the owner, or over the screen when there is none to see.
void CStatusDlg::centreOverOwner()
{
    const QWidget* owner = parentWidget();
    const bool ownerShown = owner && owner->isVisible() && !owner->isMinimized();
    const QScreen* over = ownerShown ? owner->screen() : screen();
    const QPoint centre =
        ownerShown ? owner->frameGeometry().center() : (over ? over->availableGeometry().center() : QPoint());
    QRect placed(QPoint(), size());
    placed.moveCenter(centre);
    if (over) {
        const QRect available = over->availableGeometry();
        placed.moveLeft(qBound(available.left(), placed.left(), qMax(available.left(), available.right() - width())));
        placed.moveTop(qBound(available.top(), placed.top(), qMax(available.top(), available.bottom() - height())));
    }
    move(placed.topLeft());
}

// Each run starts here: the text goes into the label and the second starts.
void CStatusDlg::showEvent(QShowEvent* event)
{
    m_text->setText(statusText);
    // Precise: a coarse timer may end the modem's second up to 5% early or late.
    m_timer.start(m_waitMs, Qt::PreciseTimer, this);
    QDialog::showEvent(event);
}

void CStatusDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    m_timer.stop();
    statusText = m_text->text();
    accept();
    emit ended();
}

// Escape must not cut the wait short: the modem's second would be lost. While
// this window runs, its owner is blocked and the platform drops close requests
// aimed at it, so a request to close this window (Escape, Alt+F4 on the active
// window) is passed on to the owner, which decides when to honour it.
void CStatusDlg::reject()
{
    if (QWidget* owner = parentWidget())
        owner->close();
}
