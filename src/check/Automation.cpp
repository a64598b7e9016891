#include "Automation.h"

#include "CheckCycle.h"
#include "base/SettingsRecord.h"
#include "link/MSComm.h"
#include "strings.h"

#include <QTimerEvent>

namespace {
// The longest period a timer takes (2^31 - 1 ms) holds 35791 whole minutes.
constexpr qint32 MaxMinutes = 35791;

// An interval below one minute would check back to back for ever, and one past
// the timer's range would wrap; both are held to the nearest usable period.
int checkPeriodMs(qint32 minutes)
{
    return qBound<qint32>(1, minutes, MaxMinutes) * 60000;
}
} // namespace

Automation::Automation(CheckCycle& cycle, CMSComm& comm, QObject* parent) : QObject(parent), m_comm(comm)
{
    connect(&m_appTrigger, &AppActivationTrigger::checkWanted, this,
            [this] { emit checkWanted(CheckTrigger::Activation); });
    connect(&m_ringTrigger, &RingTrigger::checkWanted, this, [this] { emit checkWanted(CheckTrigger::Ring); });
    connect(&m_ringTrigger, &RingTrigger::announced, this, &Automation::announced);
    connect(&m_ringTrigger, &RingTrigger::problem, this, &Automation::problem);
    connect(&cycle, &CheckCycle::finished, this, &Automation::afterCheck);
}

QString Automation::apply(const SettingsRecord& settings)
{
    disarm();
    if (!(settings.autoMethod & AutoMethod::Automate))
        return QString();

    switch (settings.autoMethod & AutoMethod::ModeMask) {
    case AutoMethod::ModeEvery:
        // The first timed check comes one full period from now.
        m_interval = checkPeriodMs(settings.minutes);
        m_timer.start(m_interval, this);
        return QString();
    case AutoMethod::ModeOnRing:
        m_ringTrigger.arm({settings.anotherPort, settings.setting, settings.port, settings.marker,
                           settings.ringCommand, settings.queryRefused != 0});
        return QString();
    case AutoMethod::ModeOnApp:
        // A trigger that could not be armed says why, once per apply.
        return m_appTrigger.arm(settings.anotherApp);
    default:
        return QString::fromLatin1(Texts::AutomationError).arg(settings.autoMethod);
    }
}

void Automation::disarm()
{
    m_timer.stop();
    m_interval = 0;
    m_ringTrigger.disarm();
    m_appTrigger.disarm();
}

void Automation::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        emit checkWanted(CheckTrigger::Timer);
    else
        QObject::timerEvent(event);
}

// A check cut short leaves its face of the port open; on the line the watcher
// shares it is closed, so the next check opens it as any other does. The
// modem is told the ring command again, as a modem that forgot it needs.
void Automation::afterCheck()
{
    if (!m_ringTrigger.sharesLineWith(m_comm.portName()))
        return;
    if (m_comm.GetPortOpen())
        m_comm.SetPortOpen(false);
    m_ringTrigger.tellModemAgain();
}
