#include "ModemFindings.h"

#include "strings.h"

namespace {
// "ttyUSB0" for "/dev/ttyUSB0": the words name the port as the user knows it.
QString shortPortName(const QString& port)
{
    const QString name = port.trimmed();
    return name.startsWith(QLatin1String("/dev/")) && !name.startsWith(QLatin1String("/dev/serial/"))
               ? name.mid(5)
               : name;
}
} // namespace

namespace ModemFindings {

QString describe(const ModemProbe::Findings& findings, const QByteArray& query)
{
    using Outcome = ModemProbe::Findings::Outcome;
    const QString port = shortPortName(findings.port);
    if (findings.outcome == Outcome::NotOpened)
        return findings.failure;
    if (findings.outcome == Outcome::Silent)
        return QString::fromLatin1(Texts::DetectSilent).arg(port);
    const QString modem =
        findings.identity.isEmpty() ? QString::fromLatin1(Texts::TheModemOn).arg(port) : findings.identity;
    const QString command = QString::fromLatin1(findings.callerIdCommand);
    if (!command.isEmpty() && findings.answersQuery)
        return QString::fromLatin1(Texts::DetectTellsAndAnswers).arg(modem, command);
    if (!command.isEmpty())
        return QString::fromLatin1(Texts::DetectTellsCallers).arg(modem, command);
    if (findings.answersQuery)
        return QString::fromLatin1(Texts::DetectAnswersQuery).arg(modem);
    return QString::fromLatin1(Texts::DetectNoCallerId).arg(modem, QString::fromLatin1(query));
}

bool needsSettings(const ModemProbe::Findings& findings)
{
    return findings.outcome == ModemProbe::Findings::Outcome::Answered &&
           (!findings.callerIdCommand.isEmpty() || findings.answersQuery);
}

void applyTo(const ModemProbe::Findings& findings, SettingsRecord& record)
{
    if (findings.outcome != ModemProbe::Findings::Outcome::Answered)
        return;
    record.queryRefused = findings.refusesQuery ? 1 : 0;
    // A mobile-network modem rejects a call with +CHUP; other modems pick up
    // with ATH1 and put down with ATH0, the default.
    record.hangupCommand =
        findings.callerIdCommand.startsWith("AT+CLIP") ? QStringLiteral("AT+CHUP") : QString();
    if (!needsSettings(findings))
        return;
    record.autoMethod = (record.autoMethod & ~(AutoMethod::ModeMask | AutoMethod::DisableManual)) |
                        AutoMethod::ModeOnRing | AutoMethod::Automate;
    record.anotherPort = findings.port;
    record.ringCommand = QString::fromLatin1(findings.callerIdCommand);
}

} // namespace ModemFindings
