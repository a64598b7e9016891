#include "ConfigDlg.h"

#include "DisplayFont.h"
#include "FontChoice.h"
#include "PortList.h"
#include "link/SerialDeviceMap.h"
#include "link/PortSettings.h"
#include "strings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

void showOwnedMessage(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

CConfigDlg::CConfigDlg(const SettingsRecord& record, const RegistryReader& registry, qint16 commPort,
                       const LogFont& font, QWidget* parent)
    : QDialog(parent), m_record(record), m_registry(registry), m_commPort(commPort), m_fontDescription(font)
{
    m_command = record.command;
    m_marker = record.marker;
    m_minutes = record.minutes;
    m_anotherApp = record.anotherApp;
    m_ringCommand = record.ringCommand;
    m_notify = record.notify != 0;
    m_mode = record.autoMethod & AutoMethod::ModeMask;
    m_automate = (record.autoMethod & AutoMethod::Automate) != 0;
    m_disableManual = m_automate && (record.autoMethod & AutoMethod::DisableManual) != 0;
    m_enableLog = (record.logFlags & LogFlags::EnableLog) != 0;
    m_ignoreSame = (record.logFlags & LogFlags::IgnoreSame) != 0;
    m_queryRefused = record.queryRefused;
    buildControls();
    buildNetworkControls();
    connectDetection();
}

CConfigDlg::~CConfigDlg() = default;

int CConfigDlg::exec()
{
    OnInitDialog();
    return QDialog::exec();
}

void CConfigDlg::showEvent(QShowEvent* event)
{
    OnInitDialog();
    QDialog::showEvent(event);
}

void CConfigDlg::OnInitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    exchangeIntoControls();
    if (!EnumerateSerialPorts()) {
        showOwnedMessage(this, QString::fromLatin1(Texts::CautionCaption), QString::fromLatin1(Texts::RegistryCaution));
        fallBackToDefaultPorts();
    }
    preselectPort();
    fillAnotherPortList();
    UpdateAutomationControls();
    UpdateLogControls();
    // On the first run a port the list preselects is as good as chosen.
    if (m_record.port == NoPortChosen && PortList::hasSelection(m_portList))
        detectModem(PortList::chosenPort(m_portList));
}

bool CConfigDlg::EnumerateSerialPorts()
{
    return readSerialDeviceMap(m_registry,
                               [this](const QString& port) { PortList::insertSorted(m_portList, port); });
}

void CConfigDlg::fallBackToDefaultPorts()
{
    m_portList->clear();
    for (const char* port : {"COM1", "COM2", "COM3", "COM4"})
        PortList::insertSorted(m_portList, QString::fromLatin1(port));
}

// A port already chosen is shown as it is, listed or not: an OK that changes
// nothing else must never move the program to another port, and device names
// outside Windows share numbers (ttyS0, ttyACM0 and many by-id names give 0).
// Only before the first choice does the number rule preselect; several names
// may yield the same number ("COM01", "COM1"), the last one in list order wins.
void CConfigDlg::preselectPort()
{
    const QString& port = m_record.port;
    if (port != NoPortChosen) {
        PortList::showPort(m_portList, port);
        return;
    }
    const int commPort = m_commPort;
    for (int i = 0; i < m_portList->count(); ++i) {
        if (PortNumberFromName(m_portList->itemText(i)) == commPort)
            m_portList->setCurrentIndex(i);
    }
}

// Both lists sort alike and get the same entries in the same order, so an
// index names the same port in both.
void CConfigDlg::fillAnotherPortList()
{
    for (int i = 0; i < m_portList->count(); ++i)
        PortList::insertSorted(m_anotherPortList, m_portList->itemText(i));
    const QString& anotherPort = m_record.anotherPort;
    if (!anotherPort.isEmpty())
        PortList::showPort(m_anotherPortList, anotherPort);
}

void CConfigDlg::exchangeIntoControls()
{
    m_commandEdit->setText(m_command);
    m_markerEdit->setText(m_marker);
    // A stored mode of 3 checks no button; an exclusive group cannot uncheck its last one.
    m_modeGroup->setExclusive(false);
    for (QAbstractButton* radio : m_modeGroup->buttons())
        radio->setChecked(m_modeGroup->id(radio) == m_mode);
    m_modeGroup->setExclusive(true);
    m_minutesEdit->setText(QString::number(m_minutes));
    m_anotherAppEdit->setText(m_anotherApp);
    m_ringCommandEdit->setText(m_ringCommand);
    m_notifyBox->setChecked(m_notify);
    m_ignoreSameBox->setChecked(m_ignoreSame);
    m_disableManualBox->setChecked(m_disableManual);
    m_enableLogBox->setChecked(m_enableLog);
    m_automateBox->setChecked(m_automate);
}

bool CConfigDlg::exchangeFromControls()
{
    m_command = m_commandEdit->text();
    m_marker = m_markerEdit->text();
    m_mode = m_modeGroup->checkedId();
    if (!exchangeMinutes())
        return false;
    m_anotherApp = m_anotherAppEdit->text();
    m_ringCommand = m_ringCommandEdit->text();
    m_notify = m_notifyBox->isChecked();
    m_ignoreSame = m_ignoreSameBox->isChecked();
    m_disableManual = m_disableManualBox->isChecked();
    m_enableLog = m_enableLogBox->isChecked();
    m_automate = m_automateBox->isChecked();
    return true;
}

// An interval below one minute would check back to back or wrap to weeks; it is
// refused while the interval is in use. A disabled field keeps whatever the
// profile held, so an odd stored value never traps the user at OK.
bool CConfigDlg::exchangeMinutes()
{
    bool isInteger = false;
    const int minutes = m_minutesEdit->text().trimmed().toInt(&isInteger, 10);
    if (!isInteger) {
        refuseMinutes(QString::fromLatin1(Texts::NotAnInteger));
        return false;
    }
    if (minutes < 1 && m_minutesEdit->isEnabled()) {
        refuseMinutes(QString::fromLatin1(Texts::MinutesAtLeastOne));
        return false;
    }
    m_minutes = minutes;
    return true;
}

void CConfigDlg::refuseMinutes(const QString& message)
{
    showOwnedMessage(this, QCoreApplication::applicationName(), message);
    m_minutesEdit->setFocus();
    m_minutesEdit->selectAll();
}

void CConfigDlg::UpdateAutomationControls()
{
    const bool automate = m_automateBox->isChecked();
    if (!automate)
        m_disableManualBox->setChecked(false);
    m_disableManualBox->setEnabled(automate);
    for (QAbstractButton* radio : m_modeGroup->buttons())
        radio->setEnabled(automate);
    m_minutesEdit->setEnabled(automate && m_every->isChecked());
    m_anotherPortList->setEnabled(automate && m_onRing->isChecked());
    m_ringCommandEdit->setEnabled(automate && m_onRing->isChecked());
    m_anotherAppEdit->setEnabled(automate && m_onApp->isChecked());
}

// Unlike Disable Manual Check, Ignore Same Nomber keeps its check while greyed.
void CConfigDlg::UpdateLogControls()
{
    m_ignoreSameBox->setEnabled(m_enableLogBox->isChecked());
}

void CConfigDlg::accept()
{
    OnOK();
}

void CConfigDlg::OnOK()
{
    // What detection is finding out belongs in the settings OK applies; a
    // name typed just now is found out before it is applied.
    if (m_typingPause.isActive())
        detectModem(PortList::chosenPort(m_portList));
    if (m_probe.isRunning()) {
        m_okWaiting = true;
        m_ok->setEnabled(false);
        m_detectLine->setText(QString::fromLatin1(Texts::DetectWaitingAtOk).arg(PortList::chosenPort(m_portList)));
        m_okWaitLimit.start(OkWaitMs);
        return;
    }
    if (!exchangeFromControls())
        return;
    writeBackIntoRecord();
    if (!m_apply || m_apply(m_record))
        QDialog::accept();
}

void CConfigDlg::writeBackIntoRecord()
{
    SettingsRecord& record = m_record;
    record.anotherApp = m_anotherApp;
    record.ringCommand = m_ringCommand;
    record.notify = m_notify ? 1 : 0;
    record.minutes = m_minutes;
    record.command = m_command;
    record.marker = m_marker;
    takeNetworkFields();
    // A name typed into a list counts as much as a listed one: a modem the
    // system does not list can still be used. An empty field changes nothing.
    if (const QString anotherPort = PortList::chosenPort(m_anotherPortList); !anotherPort.isEmpty())
        record.anotherPort = anotherPort;
    if (const QString port = PortList::chosenPort(m_portList); !port.isEmpty()) {
        // What was found of one modem says nothing of another.
        if (port != record.port && port != m_foundPort)
            m_queryRefused = 0;
        record.port = port;
    }
    record.queryRefused = m_queryRefused;
    record.logFlags = (m_enableLog ? LogFlags::EnableLog : 0) | (m_ignoreSame ? LogFlags::IgnoreSame : 0);
    // No mode button checked happens only for a stored invalid mode; it is kept,
    // so the automation goes on reporting it instead of storing a negative sum.
    const qint32 mode = m_mode >= 0 ? m_mode : (record.autoMethod & AutoMethod::ModeMask);
    record.autoMethod =
        mode | (m_disableManual ? AutoMethod::DisableManual : 0) | (m_automate ? AutoMethod::Automate : 0);
}

void CConfigDlg::ChooseDisplayFont()
{
    QFontDialog dialog(fontFromLogFont(m_fontDescription), this);
    dialog.setObjectName(QStringLiteral("fontDialog"));
    if (dialog.exec() == QDialog::Accepted) {
        QFont chosen = dialog.selectedFont();
        chosen.setFixedPitch(QFontInfo(chosen).fixedPitch());
        m_fontDescription = logFontFromChosenFont(chosen, m_fontDescription, logicalDpiY());
    }
    emit displayFontChosen(m_fontDescription);
}
