#pragma once

#include "DisplayFont.h"
#include "NumberLabel.h"
#include "base/SettingsRecord.h"
#include "check/Automation.h"
#include "check/CheckCycle.h"
#include "check/CheckOutcome.h"
#include "check/StatusWait.h"
#include "link/MSComm.h"

#include <QDialog>
#include <QPointer>

class CallHistoryDlg;
class CallNotifier;
class PhoneBook;
class NoticeBox;
class ProfileStore;
class QMenu;
class QPushButton;
class RegistryReader;

// The main window: one wide label with the last check's result and a Check
// button. It owns the settings record, the display font, the serial component,
// the check and what starts it for its whole life, wires them together and
// shows what they come to; the work itself is done in check/.
class CRingletDlg : public QDialog, private StatusWait
{
    Q_OBJECT

public:
    CRingletDlg(ProfileStore& store, const RegistryReader& registry, QWidget* parent = nullptr);
    ~CRingletDlg() override;

    SettingsRecord& settings() { return m_settings; }
    const SettingsRecord& settings() const { return m_settings; }
    DisplayFont& displayFont() { return m_displayFont; }
    CMSComm& comm() { return m_comm; }
    const RegistryReader& registry() const { return m_registry; }
    NumberLabel* numberLabel() const { return m_number; }
    QPushButton* checkButton() const { return m_check; }
    CheckCycle& checkCycle() { return m_cycle; }
    Automation& automation() { return m_automation; }
    bool isCheckTimerActive() const { return m_automation.isTimerActive(); }
    int checkTimerInterval() const { return m_automation.timerInterval(); }
    RingTrigger& ringTrigger() { return m_automation.ringTrigger(); }
    const AppActivationTrigger& appTrigger() const { return m_automation.appTrigger(); }

    // Fills the record and creates the display font from the store.
    void LoadSettings();
    // Initialises the window before it is first shown: window-menu items, icon,
    // the first-run configuration, then port, automation and font. Returns false
    // when the user left the first-run configuration: the program then ends
    // without running the window and without storing anything.
    bool OnInitDialog();
    // Initialises, then runs the window modally until it is closed.
    int exec() override;
    // The close sequence: stop automation, store the settings, drop the font, end the run.
    void OnClose();

    // Puts port and line settings on the serial component. Raises RingletError.
    void ApplyPortSettings();
    // Arms the check timer or a trigger and shows or hides the Check button from autoMethod.
    void ApplyAutomation();
    // One whole dialogue with the modem, from opening the port to logging.
    // Raises RingletError. Asked for while another check runs, it runs once
    // that one has ended; one waits at most, further requests add nothing.
    void CheckNumber(CheckTrigger trigger = CheckTrigger::Button);
    // A check nobody asked for by hand: its errors are told without blocking,
    // and a changed number asks for the user's attention unless the window is
    // already the active one.
    void runAutomaticCheck(CheckTrigger trigger = CheckTrigger::Timer);
    // Appends the display text to the call log, unless it is a repeat to skip.
    void AppendToLog(const QByteArray& displayText);
    // Gives the number label the display font, held to what fits the screen,
    // and sizes the window to the font's line height.
    void applyDisplayFontToLabel();

    // Shows what the user sees of the program at the front: a dialog it runs
    // (the first-run configuration included) or else this window.
    void bringToFront();

    // The window-menu items, offered as a context menu on every platform.
    QMenu* createWindowMenu();
    void OnSysCommand(int command);
    void showAbout();
    void showConfiguration();
    void showCallHistory();
    void nameShownCaller();
    void importContacts();
    PhoneBook& phoneBook() { return *m_book; }

signals:
    // The close sequence has written the settings; whether the store took them
    // is for whoever runs the program to check and tell.
    void settingsWritten();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void buildControls();
    QSize largestLabelSize() const;
    // Sizes the window to the template, grown to give the label `needed`.
    void fitWindowToLabelFont(const QSize& needed);
    void connectChecks();
    void startCheck(CheckTrigger trigger);
    void showOutcome(const CheckOutcome& outcome);
    void onCheckFinished();
    void showTimedStatus(const QString& text, bool takeFocus) override;
    void setUpPhoneBook();
    void loadPhoneBook();
    void addCallerItems(QMenu* menu);
    QString callerName(const QString& displayText, const QString& announcedName) const;
    void showCallerName();
    // Ends the dialogs open over this window as Cancel would; false when none was open.
    bool endModalDialogs();

    ProfileStore& m_store;
    const RegistryReader& m_registry;
    SettingsRecord m_settings;
    DisplayFont m_displayFont;
    CMSComm m_comm;
    CheckCycle m_cycle{m_settings, m_comm, *this};
    Automation m_automation{m_cycle, m_comm};

    NumberLabel* m_number = nullptr;
    QPushButton* m_check = nullptr;
    NoticeBox* m_logNotice = nullptr;
    NoticeBox* m_checkNotice = nullptr; // errors of automatic checks
    NoticeBox* m_ringNotice = nullptr;  // the watched ring port's problems
    CallNotifier* m_notifier = nullptr;
    PhoneBook* m_book = nullptr;
    NoticeBox* m_bookNotice = nullptr;
    QPointer<CallHistoryDlg> m_history;
    QString m_announcedName; // the name the modem gave for the number shown
    bool m_initialised = false;
    bool m_closed = false;
    bool m_closePending = false; // a close request that arrived during a check
};
