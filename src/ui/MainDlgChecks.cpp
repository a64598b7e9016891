// The main window's side of checks: the short calls into check/, what it shows
// of a check's outcome, and how it tells a check's errors.

#include "MainDlg.h"

#include "ErrorReport.h"
#include "NoticeBox.h"
#include "StatusDlg.h"
#include "base/RingletError.h"
#include "base/DisplayText.h"
#include "base/SettingsRecord.h"
#include "calls/CallNotifier.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
// Automation's messages: no caption, a single OK button, owned by the main window.
void showAutomationMessage(QWidget* owner, const QString& text)
{
    if (text.isEmpty())
        return;
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, owner);
    box.exec();
}
} // namespace

void CRingletDlg::connectChecks()
{
    connect(&m_cycle, &CheckCycle::outcome, this, &CRingletDlg::showOutcome);
    connect(&m_cycle, &CheckCycle::logWriteFailed, m_logNotice, &NoticeBox::show);
    connect(&m_cycle, &CheckCycle::finished, this, &CRingletDlg::onCheckFinished);
    connect(&m_cycle, &CheckCycle::checkWanted, this, &CRingletDlg::startCheck);
    connect(&m_automation, &Automation::checkWanted, this, &CRingletDlg::startCheck);
    connect(&m_automation, &Automation::announced, &m_cycle, &CheckCycle::takeAnnouncement);
    connect(&m_automation, &Automation::problem, m_ringNotice, &NoticeBox::show);
    connect(m_notifier, &CallNotifier::activated, this, &CRingletDlg::bringToFront);
}

void CRingletDlg::CheckNumber(CheckTrigger trigger)
{
    m_cycle.run(trigger);
}

void CRingletDlg::AppendToLog(const QByteArray& displayText)
{
    m_cycle.appendToLog(displayText);
}

void CRingletDlg::ApplyAutomation()
{
    const bool manualDisabled = m_settings.autoMethod & AutoMethod::DisableManual;
    m_check->setHidden(manualDisabled);
    m_check->setEnabled(!manualDisabled);
    showAutomationMessage(this, m_automation.apply(m_settings));
}

// A check by hand may keep the user waiting for its error; nobody is there to
// answer for an automatic one, and its box must not hold back the next check.
void CRingletDlg::startCheck(CheckTrigger trigger)
{
    if (m_closed)
        return;
    if (isAutomatic(trigger))
        runAutomaticCheck(trigger);
    else
        runReportingErrors(this, [this] { CheckNumber(CheckTrigger::Button); });
}

void CRingletDlg::runAutomaticCheck(CheckTrigger trigger)
{
    try {
        CheckNumber(trigger);
    } catch (const RingletError& error) {
        m_checkNotice->show(error.description());
    }
}

// A new number that came by itself, while the user is elsewhere, asks for
// attention: the taskbar entry and, for a caller's number, a notification.
void CRingletDlg::showOutcome(const CheckOutcome& outcome)
{
    const QString before = m_number->text();
    const QString name = callerName(outcome.displayText, outcome.name);
    m_announcedName = outcome.name;
    m_number->setCaller(outcome.displayText, name);
    if (!isAutomatic(outcome.trigger) || outcome.displayText == before || isActiveWindow())
        return;
    QApplication::alert(this);
    if (m_settings.notify && !isFixedDisplayText(outcome.displayText))
        m_notifier->notifyCall(outcome.displayText, name);
}

// A close request that came during the check is honoured now, so the number
// the check read is part of what gets stored.
void CRingletDlg::onCheckFinished()
{
    if (m_closePending)
        close();
}

void CRingletDlg::showTimedStatus(const QString& text, bool takeFocus)
{
    CStatusDlg status(this, takeFocus ? CStatusDlg::Focus::Take : CStatusDlg::Focus::Leave);
    status.ShowTimedStatus(text);
}
