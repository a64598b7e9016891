// Calls across desks: the desk takes another desk's calls through its NCID
// client, as announcements, and serves its own modem's calls to NCID clients.
#include "CallDesk.h"

#include "calls/CallNotifier.h"
#include "net/NcidCallLog.h"
#include "net/NcidClient.h"
#include "net/NcidServer.h"
#include "strings.h"

void CallDesk::connectNetwork()
{
    m_ncidClient = new NcidClient(this);
    m_ncidServer = new NcidServer(this);
    connect(m_ncidClient, &NcidClient::callCame, this, [this](const QString& number, const QString& name) {
        if (!m_stopped)
            m_cycle.takeOtherDeskCall(number.toLocal8Bit(), name);
    });
    connect(m_ncidClient, &NcidClient::messageCame, this, [this](const QString& text) {
        if (!m_stopped && m_settings.notify)
            m_notifier->notifyMessage(text);
    });
    for (auto said : {&NcidClient::unreachable, &NcidClient::reachableAgain})
        connect(m_ncidClient, said, this, [this](const QString& words) { tell(Problem::Cause::Network, words); });
    // The log is served only when it holds this desk's own calls alone.
    m_ncidServer->setCallLog([this]() -> std::optional<QList<QByteArray>> {
        if (!(m_settings.logFlags & LogFlags::EnableLog) || !m_settings.ncidServer.trimmed().isEmpty())
            return std::nullopt;
        return NcidCallLog::lastCalls(logFilePath(), [this](const QString& number) { return knownName(number); });
    });
}

void CallDesk::applyNetwork()
{
    if (!m_ncidClient->setServer(m_settings.ncidServer))
        tell(Problem::Cause::Network, QString::fromUtf8(Texts::NcidServerBadAddress).arg(m_settings.ncidServer));
    const QString words = m_ncidServer->listen(m_settings.ncidListen);
    if (!words.isEmpty())
        tell(Problem::Cause::Network, words);
}

// Only this desk's modem's calls go out, never another desk's (no loops), and
// only calls: every announcement, and a query's number when a call rang for
// it or when it is another than before (a modem that answers queries keeps
// its last caller, so a timed check finds the same one again). A check that
// found no number is no call.
void CallDesk::serveCall(const Call& call, const QString& numberBefore)
{
    if (call.source == CallSource::OtherDesk || call.number == QLatin1String(Texts::CantFindString) ||
        call.number == QLatin1String(Texts::BufferEmpty))
        return;
    if (call.source == CallSource::Query && call.trigger != CheckTrigger::Ring && call.number == numberBefore)
        return;
    m_ncidServer->serveCall(call.number, call.name, call.when, call.blocked);
}
