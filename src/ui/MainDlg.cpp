#include "MainDlg.h"

#include "AboutDlg.h"
#include "AppIcon.h"
#include "ConfigDlg.h"
#include "DialogUnits.h"
#include "SystemMenu.h"
#include "app/ErrorReport.h"
#include "app/ProfileStore.h"
#include "app/Settings.h"
#include "check/CallLog.h"
#include "link/PortSettings.h"
#include "resource.h"
#include "strings.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimerEvent>

CRingletDlg::CRingletDlg(ProfileStore& store, const RegistryReader& registry, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_store(store), m_registry(registry)
{
    setObjectName(QStringLiteral("IDD_MAIN"));
    setWindowTitle(QString::fromLatin1(Texts::MainTitle));
    setWindowIcon(appIcon());
    buildControls();
    connect(&m_appTrigger, &AppActivationTrigger::checkWanted, this,
            [this] { runReportingErrors(this, [this] { CheckNumber(); }); });
}

CRingletDlg::~CRingletDlg() = default;

void CRingletDlg::buildControls()
{
    const DialogUnits du(font());
    setFixedSize(du.x(233), du.y(26));

    m_number = new QLabel(this);
    m_number->setObjectName(QStringLiteral("IDC_NUMBER"));
    // Whatever the modem sends is shown as it stands, never read as markup.
    m_number->setTextFormat(Qt::PlainText);
    m_number->setAlignment(Qt::AlignCenter);
    du.place(m_number, 0, 0, 233, 25);

    m_check = new QPushButton(QString::fromLatin1(Texts::CheckButton), this);
    m_check->setObjectName(QStringLiteral("IDC_CHECK"));
    m_check->setDefault(true);
    du.place(m_check, 207, 2, 25, 23);
    connect(m_check, &QPushButton::clicked, this, [this] { runReportingErrors(this, [this] { CheckNumber(); }); });
}

void CRingletDlg::LoadSettings()
{
    ::LoadSettings(m_store, m_settings, m_displayFont);
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
}

void CRingletDlg::applyDisplayFontToLabel()
{
    m_number->setFont(m_displayFont.font());
    m_number->update();
}

void CRingletDlg::OnClose()
{
    if (m_closed)
        return;
    m_closed = true;
    m_checkTimer.stop();
    m_appTrigger.disarm();
    ::SaveSettings(m_store, m_settings, m_displayFont);
    m_store.flush();
    m_displayFont.clear();
}

void CRingletDlg::closeEvent(QCloseEvent* event)
{
    // A close request in the middle of a check waits for the check to finish,
    // so the number it reads is part of what gets stored.
    if (m_checkRunning) {
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

void CRingletDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_checkTimer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    runReportingErrors(this, [this] { CheckNumber(); });
}

QMenu* CRingletDlg::createWindowMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(QString::fromLatin1(Texts::AboutMenuItem), this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    menu->addAction(QString::fromLatin1(Texts::ConfigMenuItem), this, [this] { OnSysCommand(IDM_CONFIG); });
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
    const int command = systemCommandFromMessage(message);
    if (command == IDM_ABOUTBOX || command == IDM_CONFIG) {
        OnSysCommand(command);
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
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

void CRingletDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CRingletDlg::showConfiguration()
{
    CConfigDlg config(this);
    config.exec();
}

void CRingletDlg::ApplyPortSettings()
{
    applyPortSettings(m_settings, m_comm, m_registry);
}

void CRingletDlg::AppendToLog(const QByteArray& displayText)
{
    if (CallLog::isRepeatToSkip(m_settings.logFlags, displayText, m_settings.previousNo.toLocal8Bit()))
        return;
    CallLog::append(QString::fromLatin1(CallLog::FileName), displayText);
}
