#pragma once

#include "base/LogFont.h"
#include "base/SettingsRecord.h"
#include "link/ModemProbe.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <functional>

class RegistryReader;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The configuration dialog: edits a copy of the settings record and, on OK,
// hands it to whoever applies it; while that refuses it, the dialog stays. A
// font chosen here is handed out at once, whatever becomes of the dialog.
//
// A port list counts as having a selected entry only when its current index is
// valid and the edit field still shows that entry's text: text typed over a
// selection deselects it. On OK a list names its selected entry or, failing
// that, the text typed into its field; an empty field leaves the port as it was.
//
// A port chosen from the list, typed (once the typing pauses), preselected on
// the first run, or asked about with Detect is found out at once: one line
// under the controls says what the modem is, and the settings it needs are
// filled in for the user to see before OK. An OK while that runs waits for it.
class CConfigDlg : public QDialog
{
    Q_OBJECT

public:
    // Applies an edited record; false, after telling the user, when it was refused.
    using Apply = std::function<bool(const SettingsRecord&)>;

    // `commPort`: the serial component's port number, which preselects a port
    // before the first choice. `font`: the display font's description.
    CConfigDlg(const SettingsRecord& record, const RegistryReader& registry, qint16 commPort, const LogFont& font,
               QWidget* parent = nullptr);
    ~CConfigDlg() override;

    void setApply(Apply apply) { m_apply = std::move(apply); }
    // The record as edited, once OK has been pressed.
    const SettingsRecord& settings() const { return m_record; }

    // Runs once, before the dialog is first shown; exec() and show() call it.
    void OnInitDialog();

    // Fills the port list from the system's serial device map; false when the
    // map cannot be read.
    bool EnumerateSerialPorts();

    // Fields into controls.
    void exchangeIntoControls();
    // Controls into fields; false, after telling the user, when the interval
    // is not an integer or is below one minute while it is in use.
    bool exchangeFromControls();

    void UpdateAutomationControls();
    void UpdateLogControls();
    // Offers the font dialog; the description chosen goes out through
    // displayFontChosen(), whatever becomes of this dialog.
    void ChooseDisplayFont();

    int exec() override;
    void accept() override;
    void reject() override;

    // Finds out the modem on `port`; the findings come into the controls.
    void detectModem(const QString& port);
    bool isDetecting() const { return m_probe.isRunning(); }
    // The line that says what detection found (or is doing).
    QString detectionText() const;

    // How long OK waits for a detection still running.
    static constexpr int OkWaitMs = 5000;
    // How long typing must pause before the name typed is tried.
    static constexpr int TypingPauseMs = 500;

signals:
    void displayFontChosen(const LogFont& description);
    // Detection finished and its findings are in the controls.
    void modemDetected(const ModemProbe::Findings& findings);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void placeControls();
    void setTemplateTabOrder();
    void connectHandlers();
    void OnOK();
    bool exchangeMinutes();
    void refuseMinutes(const QString& message);
    void fallBackToDefaultPorts();
    void preselectPort();
    void fillAnotherPortList();
    void writeBackIntoRecord();
    void connectDetection();
    void onModemFound(const ModemProbe::Findings& findings);
    void stopWaitingAtOk();
    void buildNetworkControls();
    void takeNetworkFields();

    SettingsRecord m_record;
    const RegistryReader& m_registry;
    qint16 m_commPort;
    LogFont m_fontDescription;
    Apply m_apply;
    bool m_initialised = false;

    // Fields, in the order of data exchange.
    QString m_command;
    QString m_marker;
    int m_mode = 0;
    int m_minutes = 0;
    QString m_anotherApp;
    QString m_ringCommand;
    bool m_notify = false;
    bool m_ignoreSame = false;
    bool m_disableManual = false;
    bool m_enableLog = false;
    bool m_automate = false;
    qint32 m_queryRefused = 0;
    QString m_foundPort; // the port a modem last answered on, in this dialog

    ModemProbe m_probe;
    QTimer m_typingPause;
    QTimer m_okWaitLimit;
    bool m_okWaiting = false;

    // Controls, in template (and tab) order.
    QComboBox* m_portList = nullptr;
    QLineEdit* m_commandEdit = nullptr;
    QLineEdit* m_markerEdit = nullptr;
    QCheckBox* m_enableLogBox = nullptr;
    QCheckBox* m_ignoreSameBox = nullptr;
    QCheckBox* m_automateBox = nullptr;
    QCheckBox* m_disableManualBox = nullptr;
    QRadioButton* m_every = nullptr;
    QRadioButton* m_onRing = nullptr;
    QRadioButton* m_onApp = nullptr;
    QButtonGroup* m_modeGroup = nullptr;
    QLineEdit* m_minutesEdit = nullptr;
    QComboBox* m_anotherPortList = nullptr;
    QLineEdit* m_anotherAppEdit = nullptr;
    QLineEdit* m_ringCommandEdit = nullptr;
    QCheckBox* m_notifyBox = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_font = nullptr;
    QPushButton* m_detect = nullptr;
    QLabel* m_detectLine = nullptr;
    QLineEdit* m_ncidServerEdit = nullptr;
    QLineEdit* m_ncidListenEdit = nullptr;
};
