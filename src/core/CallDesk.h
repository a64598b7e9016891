#pragma once

#include "Call.h"
#include "base/SettingsRecord.h"
#include "check/Automation.h"
#include "check/CheckCycle.h"
#include "check/HangUp.h"
#include "check/StatusWait.h"
#include "link/MSComm.h"

#include <QIcon>
#include <QObject>

#include <functional>

class BlockList;
class CallNotifier;
class NcidClient;
class NcidServer;
class PhoneBook;
class ProfileStore;
class RegistryReader;

// The program without its windows: the settings record, the modem lines (the
// check's serial component and the ring watcher's), the check and what starts
// it, the phone book, the call log's place and the notifier, the NCID client
// and server of calls across desks, and the call shown now. It publishes each
// call once through call() and each failure once through problem(); windows
// show them and pass on what the user asks for.
class CallDesk : public QObject
{
    Q_OBJECT

public:
    // `icon`: the one a desktop notification shows.
    CallDesk(ProfileStore& store, const RegistryReader& registry, const QIcon& icon, QObject* parent = nullptr);
    ~CallDesk() override;

    SettingsRecord& settings() { return m_settings; }
    const SettingsRecord& settings() const { return m_settings; }
    ProfileStore& store() { return m_store; }
    const RegistryReader& registry() const { return m_registry; }
    CMSComm& comm() { return m_comm; }
    CheckCycle& checkCycle() { return m_cycle; }
    Automation& automation() { return m_automation; }
    const Automation& automation() const { return m_automation; }
    PhoneBook& phoneBook() { return *m_book; }
    BlockList& blockList() { return *m_blockList; }
    // Calls across desks: the client of another desk's server, and this desk's server.
    NcidClient& ncidClient() { return *m_ncidClient; }
    NcidServer& ncidServer() { return *m_ncidServer; }
    // Where checks log their results: ringlet.log in the current directory.
    QString logFilePath() const;

    // Who shows a check's waits (the window); a plain timer until one is given.
    void setStatusWait(StatusWait& wait) { m_cycle.setStatusWait(wait); }
    // Whether the user is looking at the program now: a new call then asks for no attention.
    void setUserIsLooking(std::function<bool()> probe) { m_userIsLooking = std::move(probe); }

    // Puts port and line settings on the serial component. Raises RingletError.
    void applyPortSettings();
    // Arms the check timer or a trigger from autoMethod, and takes calls from
    // and serves them to other desks as set. Returns what the user must be
    // told at once, else an empty text (the network's failures come as problems).
    QString applyAutomation();
    // Takes a record the configuration handed back, and applies it.
    // Raises RingletError as applyPortSettings() does; the rest is as applyAutomation().
    QString applySettings(const SettingsRecord& record);

    // Starts a check: its outcome comes through call(), its failure through problem().
    void check(CheckTrigger trigger);
    bool isChecking() const { return m_cycle.isRunning(); }
    // The end of the run: automation stops, no check starts any more.
    void stop();

    // Reads the phone book (once the window is up, so a large one does not hold up start-up).
    void loadPhoneBook();
    // The call shown now; an empty number before the first.
    const Call& currentCall() const { return m_current; }
    // The name the phone book gives `number`, empty for none or a fixed text.
    QString knownName(const QString& number) const;
    void nameCaller(const QString& number, const QString& name);
    // Whether a call from `number` would be hung up on; adds or takes out its entry.
    bool isBlocked(const QString& number) const;
    void setBlocked(const QString& number, bool blocked);

signals:
    // A call came (a check's result or an announcement): shown, logged and remembered.
    void call(const Call& call);
    // The call shown now is the same call with another name (the phone book changed).
    void currentCallRenamed(const Call& call);
    void problem(const Problem& problem);
    void checkFinished();
    // The user asked, through a notification, to see the program.
    void showRequested();

private:
    void connectChecks();
    void connectNetwork();
    void applyNetwork();
    // Hands a call of this desk's modem to the clients of its server.
    void serveCall(const Call& call, const QString& numberBefore);
    void onOutcome(const CheckOutcome& outcome);
    void onCheckFailed(CheckTrigger trigger, const QString& description);
    void answerWithoutQuery(CheckTrigger trigger);
    bool hangsUpOn(const QString& displayText, CheckTrigger trigger, CallSource source) const;
    void onPhoneBookChanged();
    void tell(Problem::Cause cause, const QString& words, bool mayBlock = false);

    ProfileStore& m_store;
    const RegistryReader& m_registry;
    SettingsRecord m_settings;
    CMSComm m_comm;
    QuietWait m_quietWait;
    CheckCycle m_cycle{m_settings, m_comm, m_quietWait};
    Automation m_automation{m_cycle, m_comm};
    PhoneBook* m_book = nullptr;
    BlockList* m_blockList = nullptr;
    HangUp m_hangUp;
    CallNotifier* m_notifier = nullptr;
    NcidClient* m_ncidClient = nullptr;
    NcidServer* m_ncidServer = nullptr;
    Call m_current;
    std::function<bool()> m_userIsLooking = [] { return false; };
    bool m_stopped = false;
};
