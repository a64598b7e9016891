#pragma once

#include "DisplayFont.h"
#include "NumberLabel.h"
#include "core/CallDesk.h"

#include <QDialog>
#include <QPointer>

#include <map>

class CallHistoryDlg;
class CConfigDlg;
class CStatusDlg;
class NoticeBox;
class ProfileStore;
class QMenu;
class QPushButton;
class RegistryReader;

// The main window: one wide label with the call shown now and a Check button.
// The program itself is the CallDesk it holds; the window shows its calls and
// problems, shows a check's waits, and passes on what the user asks for.
class CRingletDlg : public QDialog, private StatusWait
{
    Q_OBJECT

public:
    CRingletDlg(ProfileStore& store, const RegistryReader& registry, QWidget* parent = nullptr);
    ~CRingletDlg() override;

    CallDesk& desk() { return m_desk; }
    SettingsRecord& settings() { return m_desk.settings(); }
    const SettingsRecord& settings() const { return m_desk.settings(); }
    DisplayFont& displayFont() { return m_displayFont; }
    CMSComm& comm() { return m_desk.comm(); }
    const RegistryReader& registry() const { return m_desk.registry(); }
    NumberLabel* numberLabel() const { return m_number; }
    QPushButton* checkButton() const { return m_check; }
    CheckCycle& checkCycle() { return m_desk.checkCycle(); }
    Automation& automation() { return m_desk.automation(); }
    bool isCheckTimerActive() const { return m_desk.automation().isTimerActive(); }
    int checkTimerInterval() const { return m_desk.automation().timerInterval(); }
    RingTrigger& ringTrigger() { return m_desk.automation().ringTrigger(); }
    const AppActivationTrigger& appTrigger() { return m_desk.automation().appTrigger(); }
    PhoneBook& phoneBook() { return m_desk.phoneBook(); }

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
    // Starts one whole dialogue with the modem, from opening the port to
    // logging; it goes on from the event loop, and its errors are told when
    // they come. Asked for while another check runs, it runs once that one
    // has ended; one waits at most, further requests add nothing.
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
    // Hands the configuration dialog what it applies on OK and where a chosen font goes.
    void wireConfiguration(CConfigDlg& dialog);
    void showCallHistory();
    void nameShownCaller();
    void importContacts();

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
    void connectDesk();
    void startCheck(CheckTrigger trigger);
    void showCall(const Call& call);
    void showProblem(const Problem& problem);
    void onCheckFinished();
    void showTimedStatus(const QString& text, bool takeFocus, int ms, std::function<void()> done) override;
    void endStatus() override;
    void addHistoryShortcut();
    void addCallerItems(QMenu* menu);
    // Ends the dialogs open over this window as Cancel would; false when none was open.
    bool endModalDialogs();

    CallDesk m_desk;
    DisplayFont m_displayFont;

    NumberLabel* m_number = nullptr;
    QPushButton* m_check = nullptr;
    std::map<Problem::Cause, NoticeBox*> m_notices; // one open at a time per cause
    QPointer<CStatusDlg> m_status;                   // the running check's waits
    QPointer<CallHistoryDlg> m_history;
    bool m_initialised = false;
    bool m_closed = false;
    bool m_closePending = false; // a close request that arrived during a check
};

// The first-run loop: runs the configuration while no port is chosen. Returns
// true once a port is chosen, false when the user cancels or closes the dialog
// instead, which means: leave the program without storing settings.
bool runFirstRunConfiguration(CRingletDlg* mainWindow);
