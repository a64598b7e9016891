// Finding out the modem on the chosen port, and what its findings change in the dialog.
#include "ConfigDlg.h"

#include "ModemFindings.h"
#include "PortList.h"
#include "strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void CConfigDlg::connectDetection()
{
    m_typingPause.setSingleShot(true);
    m_typingPause.setInterval(TypingPauseMs);
    m_okWaitLimit.setSingleShot(true);
    connect(&m_probe, &ModemProbe::finished, this, &CConfigDlg::onModemFound);
    connect(m_portList, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { detectModem(m_portList->itemText(index)); });
    connect(m_portList->lineEdit(), &QLineEdit::textEdited, this, [this] { m_typingPause.start(); });
    connect(&m_typingPause, &QTimer::timeout, this, [this] { detectModem(PortList::chosenPort(m_portList)); });
    connect(m_detect, &QPushButton::clicked, this, [this] { detectModem(PortList::chosenPort(m_portList)); });
    // A port name runs to 60 characters under /dev/serial/by-id: the whole name is in the tip.
    connect(m_portList, &QComboBox::editTextChanged, m_portList, &QWidget::setToolTip);
    connect(m_anotherPortList, &QComboBox::editTextChanged, m_anotherPortList, &QWidget::setToolTip);
    // A port that sends nothing is given up after two plain ATs; the OK waiting
    // for it gives up after OkWaitMs whatever happens.
    connect(&m_okWaitLimit, &QTimer::timeout, this, [this] {
        m_probe.cancel();
        stopWaitingAtOk();
    });
}

void CConfigDlg::detectModem(const QString& port)
{
    m_typingPause.stop();
    const QString name = port.trimmed();
    if (name.isEmpty() || name == NoPortChosen) {
        m_probe.cancel();
        return;
    }
    m_detectLine->setText(QString::fromLatin1(Texts::Detecting).arg(name));
    m_probe.start({name, m_record.setting, m_commandEdit->text().toLocal8Bit(), m_markerEdit->text().toLocal8Bit()});
}

QString CConfigDlg::detectionText() const
{
    return m_detectLine->text();
}

void CConfigDlg::onModemFound(const ModemProbe::Findings& findings)
{
    m_detectLine->setText(ModemFindings::describe(findings, m_commandEdit->text().toLocal8Bit()));
    SettingsRecord found = m_record;
    ModemFindings::applyTo(findings, found);
    m_queryRefused = found.queryRefused;
    if (findings.outcome == ModemProbe::Findings::Outcome::Answered) {
        m_foundPort = findings.port;
        // Not shown in the dialog: the record the dialog hands back on OK carries it.
        m_record.hangupCommand = found.hangupCommand;
    }
    if (ModemFindings::needsSettings(findings)) {
        m_automateBox->setChecked(true);
        m_disableManualBox->setChecked(false);
        m_onRing->setChecked(true);
        PortList::showPort(m_anotherPortList, found.anotherPort);
        m_ringCommandEdit->setText(found.ringCommand);
        UpdateAutomationControls();
    }
    emit modemDetected(findings);
    stopWaitingAtOk();
}

void CConfigDlg::stopWaitingAtOk()
{
    m_okWaitLimit.stop();
    if (!m_okWaiting)
        return;
    m_okWaiting = false;
    m_ok->setEnabled(true);
    OnOK();
}

void CConfigDlg::reject()
{
    m_okWaitLimit.stop();
    m_okWaiting = false;
    m_probe.cancel();
    QDialog::reject();
}
