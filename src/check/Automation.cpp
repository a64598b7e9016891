// What starts a check besides the Check button: the main window's check timer,
// the ring trigger and the activation of another application.

#include "app/ErrorReport.h"
#include "app/RingletError.h"
#include "app/SettingsRecord.h"
#include "strings.h"
#include "ui/MainDlg.h"
#include "ui/NoticeBox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {
// The longest period a timer takes (2^31 - 1 ms) holds 35791 whole minutes.
constexpr qint32 MaxMinutes = 35791;

// An interval below one minute would check back to back for ever, and one past
// the timer's range would wrap; both are held to the nearest usable period.
int checkPeriodMs(qint32 minutes)
{
    return qBound<qint32>(1, minutes, MaxMinutes) * 60000;
}

// Automation's messages: no caption, a single OK button, owned by the main window.
void showAutomationMessage(QWidget* owner, const QString& text)
{
    if (text.isEmpty())
        return;
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, owner);
    box.exec();
}
} // namespace

void CRingletDlg::ApplyAutomation()
{
    m_checkTimer.stop();
    m_checkInterval = 0;
    m_ringTrigger.disarm();
    m_appTrigger.disarm();

    const bool manualDisabled = m_settings.autoMethod & AutoMethod::DisableManual;
    m_check->setHidden(manualDisabled);
    m_check->setEnabled(!manualDisabled);

    if (!(m_settings.autoMethod & AutoMethod::Automate))
        return;

    switch (m_settings.autoMethod & AutoMethod::ModeMask) {
    case AutoMethod::ModeEvery:
        // The first timed check comes one full period from now.
        m_checkInterval = checkPeriodMs(m_settings.minutes);
        m_checkTimer.start(m_checkInterval, this);
        break;
    case AutoMethod::ModeOnRing:
        m_ringTrigger.arm({m_settings.anotherPort, m_settings.setting, m_settings.port});
        break;
    case AutoMethod::ModeOnApp:
        // A trigger that could not be armed says why, once per apply.
        showAutomationMessage(this, m_appTrigger.arm(m_settings.anotherApp));
        break;
    default:
        showAutomationMessage(this, QString::fromLatin1(Texts::AutomationError).arg(m_settings.autoMethod));
        break;
    }
}

void CRingletDlg::connectTriggers()
{
    connect(&m_appTrigger, &AppActivationTrigger::checkWanted, this,
            [this] { runAutomaticCheck(CheckTrigger::Activation); });
    connect(&m_ringTrigger, &RingTrigger::checkWanted, this, [this] { runAutomaticCheck(CheckTrigger::Ring); });
    connect(&m_ringTrigger, &RingTrigger::problem, m_ringNotice, &NoticeBox::show);
    connect(this, &CRingletDlg::checkStarting, &m_ringTrigger, &RingTrigger::lendPort);
    connect(this, &CRingletDlg::checkFinished, &m_ringTrigger, &RingTrigger::takePortBack);
}

// A check by hand may keep the user waiting for its error; nobody is there to
// answer for an automatic one, and its box must not hold back the next check.
void CRingletDlg::startCheck(CheckTrigger trigger)
{
    if (isAutomatic(trigger))
        runAutomaticCheck(trigger);
    else
        runReportingErrors(this, [this] { CheckNumber(CheckTrigger::Button); });
}

void CRingletDlg::runAutomaticCheck(CheckTrigger trigger)
{
    const QString before = m_number->text();
    try {
        CheckNumber(trigger);
    } catch (const RingletError& error) {
        m_checkNotice->show(error.description());
    }
    if (m_number->text() != before && !isActiveWindow())
        QApplication::alert(this);
}
