#pragma once

#include "AppActivationTrigger.h"
#include "CheckTrigger.h"
#include "RingTrigger.h"

#include <QBasicTimer>
#include <QObject>

class CheckCycle;
class CMSComm;
struct SettingsRecord;

// What starts a check besides the Check button: the check timer, the ring
// trigger and the activation of another application, armed from the
// automation bits of the settings. It asks for checks through checkWanted().
// When the ring port is the check port, the two share one modem line; after
// every check on it the modem is told the ring command again.
class Automation : public QObject
{
    Q_OBJECT

public:
    Automation(CheckCycle& cycle, CMSComm& comm, QObject* parent = nullptr);

    // Stops whatever was armed, then arms what `settings.autoMethod` asks for.
    // Returns what the user must be told at once (an invalid mode, an
    // application trigger that cannot work here), else an empty text. The ring
    // port's problems come later too, through problem().
    QString apply(const SettingsRecord& settings);
    void disarm();

    bool isTimerActive() const { return m_timer.isActive(); }
    int timerInterval() const { return m_interval; }
    int timerId() const { return m_timer.timerId(); }
    RingTrigger& ringTrigger() { return m_ringTrigger; }
    const RingTrigger& ringTrigger() const { return m_ringTrigger; }
    const AppActivationTrigger& appTrigger() const { return m_appTrigger; }

signals:
    void checkWanted(CheckTrigger trigger);
    // A call's caller ID, as the watched modem announced it: the call's check, done.
    void announced(const QByteArray& number, const QString& name);
    // A problem of the watched ring port, in words, said once per cause.
    void problem(const QString& text);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void afterCheck();

    CMSComm& m_comm;
    QBasicTimer m_timer;
    int m_interval = 0;
    RingTrigger m_ringTrigger;
    AppActivationTrigger m_appTrigger;
};
