#include "CallDesk.h"

#include "base/DisplayText.h"
#include "base/ProfileStore.h"
#include "calls/BlockList.h"
#include "calls/CallNotifier.h"
#include "calls/PhoneBook.h"
#include "check/CallLog.h"
#include "link/PortSettings.h"
#include "net/NcidClient.h"
#include "net/NcidServer.h"
#include "strings.h"

#include <QFileInfo>
#include <QTimer>

CallDesk::CallDesk(ProfileStore& store, const RegistryReader& registry, const QIcon& icon, QObject* parent)
    : QObject(parent), m_store(store), m_registry(registry)
{
    m_book = new PhoneBook(m_store.folder() + QStringLiteral("/ringlet.vcf"), this);
    m_blockList = new BlockList(m_store.folder() + QLatin1Char('/') + QLatin1String(BlockList::FileName), m_book, this);
    m_cycle.setBlockRule([this](const QString& text, CheckTrigger trigger, CallSource source) {
        return hangsUpOn(text, trigger, source);
    });
    // Reaches the desktop's notification service only at the first call, not at start-up.
    m_notifier = new CallNotifier(icon, this);
    connectChecks();
    connectNetwork();
}

CallDesk::~CallDesk() = default;

void CallDesk::connectChecks()
{
    connect(&m_cycle, &CheckCycle::outcome, this, &CallDesk::onOutcome);
    connect(&m_cycle, &CheckCycle::failed, this, &CallDesk::onCheckFailed);
    connect(&m_cycle, &CheckCycle::finished, this, &CallDesk::checkFinished);
    connect(&m_cycle, &CheckCycle::checkWanted, this, &CallDesk::check);
    connect(&m_cycle, &CheckCycle::logWriteFailed, this,
            [this](const QString& words) { tell(Problem::Cause::CallLog, words); });
    connect(&m_automation, &Automation::checkWanted, this, &CallDesk::check);
    connect(&m_automation, &Automation::announced, &m_cycle, &CheckCycle::takeAnnouncement);
    connect(&m_automation, &Automation::problem, this,
            [this](const QString& words) { tell(Problem::Cause::RingPort, words); });
    connect(m_book, &PhoneBook::failed, this, [this](const QString& words) { tell(Problem::Cause::PhoneBook, words); });
    connect(m_book, &PhoneBook::nameNotice, this,
            [this](const QString& words) { tell(Problem::Cause::PhoneBook, words); });
    connect(m_book, &PhoneBook::changed, this, &CallDesk::onPhoneBookChanged);
    connect(m_blockList, &BlockList::failed, this, [this](const QString& words) { tell(Problem::Cause::PhoneBook, words); });
    connect(m_blockList, &BlockList::lineNotUnderstood, this,
            [this](const QString& words) { tell(Problem::Cause::PhoneBook, words); });
    connect(&m_hangUp, &HangUp::refused, this, [this](const QString& words) { tell(Problem::Cause::RingPort, words); });
    connect(m_notifier, &CallNotifier::activated, this, &CallDesk::showRequested);
    connect(m_notifier, &CallNotifier::blockAsked, this, [this](const QString& number) { setBlocked(number, true); });
}

QString CallDesk::logFilePath() const
{
    return QFileInfo(QString::fromLatin1(CallLog::FileName)).absoluteFilePath();
}

void CallDesk::applyPortSettings()
{
    ::applyPortSettings(m_settings, m_comm, m_registry);
}

QString CallDesk::applyAutomation()
{
    applyNetwork();
    return m_automation.apply(m_settings);
}

QString CallDesk::applySettings(const SettingsRecord& record)
{
    m_settings = record;
    applyPortSettings();
    return applyAutomation();
}

void CallDesk::check(CheckTrigger trigger)
{
    if (m_stopped)
        return;
    if (m_settings.queryRefused && trigger != CheckTrigger::Announcement) {
        answerWithoutQuery(trigger);
        return;
    }
    m_cycle.run(trigger);
}

// A modem that refuses the query is never sent it: a check by hand shows the
// last caller it told of, or says in words how this modem tells callers.
// Nothing automatic comes of it; the modem is told its ring command again.
void CallDesk::answerWithoutQuery(CheckTrigger trigger)
{
    m_automation.ringTrigger().tellModemAgain();
    if (!isAutomatic(trigger)) {
        if (m_current.number.isEmpty())
            tell(Problem::Cause::Check, QString::fromLatin1(Texts::ModemTellsAtRing), true);
        else {
            Call shown = m_current;
            shown.asksForAttention = false;
            emit call(shown);
        }
    }
    emit checkFinished();
}

void CallDesk::stop()
{
    m_stopped = true;
    m_automation.disarm();
    m_ncidClient->setServer(QString());
    m_ncidServer->listen(QString());
}

void CallDesk::loadPhoneBook()
{
    QTimer::singleShot(0, m_book, &PhoneBook::load);
    QTimer::singleShot(0, m_blockList, &BlockList::load);
}

bool CallDesk::isBlocked(const QString& number) const
{
    return m_blockList->blocks(number);
}

void CallDesk::setBlocked(const QString& number, bool blocked)
{
    if (blocked)
        m_blockList->block(number);
    else
        m_blockList->unblock(number);
}

// Only a call ringing now on the watched modem can be hung up on: one this
// modem told of, or asked about at its second ring. Another desk's call is
// that desk's to hang up on.
bool CallDesk::hangsUpOn(const QString& displayText, CheckTrigger trigger, CallSource source) const
{
    if (source == CallSource::OtherDesk || (trigger != CheckTrigger::Announcement && trigger != CheckTrigger::Ring))
        return false;
    return m_automation.ringTrigger().isWatching() && m_blockList->blocks(displayText);
}

QString CallDesk::knownName(const QString& number) const
{
    return isFixedDisplayText(number) ? QString() : m_book->nameFor(number);
}

void CallDesk::nameCaller(const QString& number, const QString& name)
{
    m_book->setName(number, name);
}

// A name from the phone book wins over the one the line sent. A new number that
// came by itself, while the user is elsewhere, asks for attention and, for a
// caller's number, is told by a notification.
void CallDesk::onOutcome(const CheckOutcome& outcome)
{
    // Before anything is shown: every moment the phone rings on.
    if (outcome.blocked)
        m_hangUp.start(m_automation.ringTrigger().line(), HangUp::commandsFrom(m_settings.hangupCommand));
    Call call;
    call.number = outcome.displayText;
    call.announcedName = outcome.name;
    const QString known = knownName(outcome.displayText);
    call.name = known.isEmpty() ? outcome.name : known;
    call.when = outcome.when;
    call.trigger = outcome.trigger;
    call.source = outcome.source;
    call.blocked = outcome.blocked;
    call.asksForAttention = !call.blocked && isAutomatic(outcome.trigger) &&
                            outcome.displayText != m_current.number && !m_userIsLooking();
    serveCall(call, m_current.number);
    m_current = call;
    emit this->call(call);
    if (call.asksForAttention && m_settings.notify && !isFixedDisplayText(call.number))
        m_notifier->notifyCall(call.number, call.name);
}

void CallDesk::onCheckFailed(CheckTrigger trigger, const QString& description)
{
    // A check by hand may keep the user waiting for its error; nobody is there
    // to answer for an automatic one, and its box must not hold back the next check.
    tell(Problem::Cause::Check, description, !isAutomatic(trigger));
}

void CallDesk::onPhoneBookChanged()
{
    const QString known = knownName(m_current.number);
    const QString name = known.isEmpty() ? m_current.announcedName : known;
    if (name == m_current.name)
        return;
    m_current.name = name;
    emit currentCallRenamed(m_current);
}

void CallDesk::tell(Problem::Cause cause, const QString& words, bool mayBlock)
{
    emit problem({cause, words, mayBlock});
}
