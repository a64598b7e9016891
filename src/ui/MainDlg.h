#pragma once

#include "app/SettingsRecord.h"
#include "check/AppActivationTrigger.h"
#include "check/CheckTrigger.h"
#include "check/RingTrigger.h"
#include "link/MSComm.h"
#include "ui/DisplayFont.h"
#include "ui/NumberLabel.h"

#include <QBasicTimer>
#include <QDialog>

#include <optional>

class NoticeBox;
class ProfileStore;
class QMenu;
class QPushButton;
class RegistryReader;

// The main window: one wide label with the last check's result and a Check
// button. It owns the settings record, the display font and the serial
// component for its whole life; checks, automation and the port logic run on it.
class CRingletDlg : public QDialog
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
    bool isCheckTimerActive() const { return m_checkTimer.isActive(); }
    int checkTimerInterval() const { return m_checkInterval; }
    RingTrigger& ringTrigger() { return m_ringTrigger; }
    int checkTimerId() const { return m_checkTimer.timerId(); }
    const AppActivationTrigger& appTrigger() const { return m_appTrigger; }

    // Fills the record and creates the display font from the store.
    void LoadSettings();
    // Initialises the window before it is first shown: window-menu items, icon,
    // the first-run configuration, then port, automation and font. Returns false
    // when the user left the first-run configuration: the program then ends
    // without running the window and without storing anything.
    bool OnInitDialog();
    // Initialises, then runs the window modally until it is closed.
    int exec() override;
    // The close sequence: stop the timer, store the settings, drop the font, end the run.
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

    // The window-menu items, offered as a context menu on every platform.
    QMenu* createWindowMenu();
    void OnSysCommand(int command);
    void showAbout();
    void showConfiguration();

signals:
    // A check's line could not be appended to the call log; the check's number
    // is shown but not remembered as the previous one.
    void logWriteFailed(const QString& description);
    // Around the dialogue with the modem, so a watcher holding the check port can lend it.
    void checkStarting();
    void checkFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void buildControls();
    QSize largestLabelSize() const;
    // Sizes the window to the template, grown to give the label `needed`.
    void fitWindowToLabelFont(const QSize& needed);
    void connectTriggers();
    void startCheck(CheckTrigger trigger);
    void finishCheck();
    void runWaitingCheck();
    // Ends the dialogs open over this window as Cancel would; false when none was open.
    bool endModalDialogs();

    ProfileStore& m_store;
    const RegistryReader& m_registry;
    SettingsRecord m_settings;
    DisplayFont m_displayFont;
    CMSComm m_comm;
    RingTrigger m_ringTrigger;

    NumberLabel* m_number = nullptr;
    QPushButton* m_check = nullptr;
    QBasicTimer m_checkTimer;
    int m_checkInterval = 0;
    AppActivationTrigger m_appTrigger;
    NoticeBox* m_logNotice = nullptr;
    NoticeBox* m_checkNotice = nullptr; // errors of automatic checks
    NoticeBox* m_ringNotice = nullptr;  // the watched ring port's problems
    std::optional<CheckTrigger> m_waitingCheck; // asked for while a check ran
    bool m_initialised = false;
    bool m_closed = false;
    bool m_checkRunning = false;
    bool m_closePending = false; // a close request that arrived during a check
};
