#include "MainDlg.h"

#include "AboutDlg.h"
#include "AppIcon.h"
#include "ConfigDlg.h"
#include "DialogUnits.h"
#include "ErrorReport.h"
#include "NoticeBox.h"
#include "ScreenFit.h"
#include "SettingsWithFont.h"
#include "SystemMenu.h"
#include "WindowClose.h"
#include "base/ProfileStore.h"
#include "link/PortSettings.h"
#include "resource.h"
#include "strings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

CRingletDlg::CRingletDlg(ProfileStore& store, const RegistryReader& registry, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_desk(store, registry, appIcon())
{
    setObjectName(QStringLiteral("IDD_MAIN"));
    setWindowTitle(QString::fromLatin1(Texts::MainTitle));
    setWindowIcon(appIcon());
    buildControls();
    for (const auto cause : {Problem::Cause::Check, Problem::Cause::CallLog, Problem::Cause::RingPort,
                             Problem::Cause::PhoneBook, Problem::Cause::Network})
        m_notices[cause] = new NoticeBox(this);
    addHistoryShortcut();
    connectDesk();
}

CRingletDlg::~CRingletDlg() = default;

void CRingletDlg::buildControls()
{
    const DialogUnits du(font());
    setFixedSize(du.x(233), du.y(26));

    m_number = new NumberLabel(this);
    m_number->setObjectName(QStringLiteral("IDC_NUMBER"));
    du.place(m_number, 0, 0, 233, 25);

    m_check = new QPushButton(QString::fromLatin1(Texts::CheckButton), this);
    m_check->setObjectName(QStringLiteral("IDC_CHECK"));
    m_check->setDefault(true);
    du.place(m_check, 207, 2, 25, 23);
    m_number->setCoveringWidget(m_check);
    connect(m_check, &QPushButton::clicked, this, [this] { startCheck(CheckTrigger::Button); });
}

void CRingletDlg::LoadSettings()
{
    ::LoadSettings(m_desk.store(), m_desk.settings(), m_displayFont);
}

bool CRingletDlg::OnInitDialog()
{
    if (m_initialised)
        return true;
    m_initialised = true;

    appendSystemMenuItems(reinterpret_cast<void*>(winId()), Texts::AboutMenuItem, IDM_ABOUTBOX, Texts::ConfigMenuItem,
                          IDM_CONFIG);
    if (!runFirstRunConfiguration(this))
        return false;

    // A port or line setting the serial component refuses ends the
    // initialisation here: automation and the font are not applied.
    runReportingErrors(this, [this] {
        ApplyPortSettings();
        ApplyAutomation();
        applyDisplayFontToLabel();
    });
    m_desk.loadPhoneBook();
    return true;
}

int CRingletDlg::exec()
{
    if (!OnInitDialog())
        return QDialog::Rejected;
    return QDialog::exec();
}

void CRingletDlg::showEvent(QShowEvent* event)
{
    // A window shown without exec() (tests, embedding) is initialised all the same.
    OnInitDialog();
    QDialog::showEvent(event);
    // Qt centres the window once it is shown; a tall one may have its title
    // bar off the screen then.
    QTimer::singleShot(0, this, [this] { keepFrameOnScreen(this); });
}

namespace {
// A whole number, area code included, must fit the label in any font.
const QString SampleNumber = QStringLiteral("+1 (555) 012-3456");
// The button covers the label's right end; a centred text keeps clear of both ends.
constexpr int ButtonUnits = 26;
} // namespace

void CRingletDlg::applyDisplayFontToLabel()
{
    const DialogUnits du(font());
    const QFont& font = m_displayFont.font();
    // A font whose em is at most half the template's label height fits it with
    // room to spare (line heights stay well under two ems) and is not measured:
    // measuring loads the face, a cost the usual small font need not add to start-up.
    if (font.pixelSize() > 0 && 2 * font.pixelSize() <= du.y(25)) {
        m_number->setFont(font);
        fitWindowToLabelFont(QSize(du.x(233), du.y(25)));
        return;
    }
    // A font beyond the screen is drawn at the largest size that fits; the
    // description itself, and so what is stored, stays as it is.
    const QSize room = largestLabelSize() - QSize(2 * du.x(ButtonUnits), 0);
    m_number->setFont(fontWithin(font, room, SampleNumber));
    const QFontMetrics metrics(m_number->font());
    fitWindowToLabelFont(QSize(metrics.horizontalAdvance(SampleNumber) + 2 * du.x(ButtonUnits), metrics.height()));
}

// The largest label the window can hold with its frame still on the screen.
QSize CRingletDlg::largestLabelSize() const
{
    const DialogUnits du(font());
    return largestClientSize(this) - QSize(0, du.y(26) - du.y(25));
}

// The template's size, made larger when the label's font needs it: tall
// enough for a line, wide enough for a whole number. The button keeps to the
// right end, centred on the label's height.
void CRingletDlg::fitWindowToLabelFont(const QSize& needed)
{
    const DialogUnits du(font());
    const int labelWidth = qMax(du.x(233), needed.width());
    const int labelHeight = qMax(du.y(25), needed.height());
    const QSize grown(labelWidth - du.x(233), labelHeight - du.y(25));
    setFixedSize(QSize(du.x(233), du.y(26)) + grown);
    m_number->setGeometry(QRect(QPoint(0, 0), QSize(labelWidth, labelHeight)));
    m_check->setGeometry(du.rect(207, 2, 25, 23).translated(grown.width(), grown.height() / 2));

    if (isVisible())
        keepFrameOnScreen(this);
}

void CRingletDlg::OnClose()
{
    if (m_closed)
        return;
    m_closed = true;
    m_desk.stop();
    ::SaveSettings(m_desk.store(), m_desk.settings(), m_displayFont);
    emit settingsWritten();
    m_displayFont.clear();
}

void CRingletDlg::closeEvent(QCloseEvent* event)
{
    // A close request in the middle of a check waits for the check to finish,
    // so the number it reads is part of what gets stored.
    if (m_desk.isChecking()) {
        m_closePending = true;
        event->ignore();
        return;
    }
    OnClose();
    event->accept();
    done(QDialog::Rejected);
}

// Escape and other cancel requests take the same way out as the close button,
// so the settings of the run are stored rather than lost.
void CRingletDlg::reject()
{
    close();
}

QMenu* CRingletDlg::createWindowMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(QString::fromLatin1(Texts::AboutMenuItem), this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    menu->addAction(QString::fromLatin1(Texts::ConfigMenuItem), this, [this] { OnSysCommand(IDM_CONFIG); });
    menu->addSeparator();
    addCallerItems(menu);
    return menu;
}

void CRingletDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createWindowMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CRingletDlg::keyPressEvent(QKeyEvent* event)
{
    // Shift+F10 opens the window menu from the keyboard, as the Menu key does.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QMenu* menu = createWindowMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(mapToGlobal(rect().center()));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CRingletDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    // While a modal window of Ringlet's is open this one is blocked, and Qt
    // drops a close request from the title bar. During a check's waits it is
    // remembered for the check's end; a dialog (About, Configuration, a
    // message) is ended as Cancel would end it, and the window closes after it.
    if (isWindowCloseRequest(eventType.constData(), message)) {
        if (m_desk.isChecking())
            m_closePending = true;
        else if (endModalDialogs())
            QTimer::singleShot(0, this, &QWidget::close);
    }
    const int command = systemCommandFromMessage(message);
    if (command == IDM_ABOUTBOX || command == IDM_CONFIG) {
        OnSysCommand(command);
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}

bool CRingletDlg::endModalDialogs()
{
    bool ended = false;
    // One at a time from the top: the font dialog over the configuration, then the configuration.
    for (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this;
         modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            break; // it would not go
        ended = true;
    }
    return ended;
}

void CRingletDlg::OnSysCommand(int command)
{
    switch (command & 0xFFF0) {
    case IDM_ABOUTBOX:
        showAbout();
        break;
    case IDM_CONFIG:
        showConfiguration();
        break;
    default:
        break;
    }
}

void CRingletDlg::bringToFront()
{
    QWidget* window = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void CRingletDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CRingletDlg::showConfiguration()
{
    CConfigDlg config(settings(), registry(), comm().GetCommPort(), m_displayFont.description(), this);
    wireConfiguration(config);
    config.exec();
}

// The dialog hands back its copy of the record on OK; the desk takes it. A
// port or line setting that is refused keeps the dialog open.
void CRingletDlg::wireConfiguration(CConfigDlg& dialog)
{
    dialog.setApply([this, &dialog](const SettingsRecord& record) {
        return runReportingErrors(&dialog, [this, &record] {
            m_desk.settings() = record;
            ApplyPortSettings();
            ApplyAutomation();
        });
    });
    connect(&dialog, &CConfigDlg::displayFontChosen, this, [this](const LogFont& description) {
        m_displayFont.create(description);
        applyDisplayFontToLabel();
    });
}

bool runFirstRunConfiguration(CRingletDlg* mainWindow)
{
    while (mainWindow->settings().port == NoPortChosen) {
        CConfigDlg dialog(mainWindow->settings(), mainWindow->registry(), mainWindow->comm().GetCommPort(),
                          mainWindow->displayFont().description(), mainWindow);
        mainWindow->wireConfiguration(dialog);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    return true;
}

void CRingletDlg::ApplyPortSettings()
{
    m_desk.applyPortSettings();
}
