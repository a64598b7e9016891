// The main window's side of checks: the short calls into the desk, what it
// shows of a call, how it tells problems, and the status window of a check's waits.

#include "MainDlg.h"

#include "ErrorReport.h"
#include "NoticeBox.h"
#include "StatusDlg.h"
#include "base/SettingsRecord.h"
#include "strings.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {
// Automation's messages: no caption, a single OK button, owned by the main window.
void showAutomationMessage(QWidget* owner, const QString& text)
{
    if (text.isEmpty())
        return;
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, owner);
    box.exec();
}
} // namespace

void CRingletDlg::connectDesk()
{
    m_desk.setStatusWait(*this);
    m_desk.setUserIsLooking([this] { return isActiveWindow(); });
    connect(&m_desk, &CallDesk::call, this, &CRingletDlg::showCall);
    connect(&m_desk, &CallDesk::currentCallRenamed, this,
            [this](const Call& call) { m_number->setCaller(call.number, call.name); });
    connect(&m_desk, &CallDesk::problem, this, &CRingletDlg::showProblem);
    connect(&m_desk, &CallDesk::checkFinished, this, &CRingletDlg::onCheckFinished);
    connect(&m_desk, &CallDesk::showRequested, this, &CRingletDlg::bringToFront);
}

void CRingletDlg::CheckNumber(CheckTrigger trigger)
{
    m_desk.check(trigger);
}

void CRingletDlg::AppendToLog(const QByteArray& displayText)
{
    m_desk.checkCycle().appendToLog(displayText);
}

void CRingletDlg::ApplyAutomation()
{
    const bool manualDisabled = settings().autoMethod & AutoMethod::DisableManual;
    m_check->setHidden(manualDisabled);
    m_check->setEnabled(!manualDisabled);
    showAutomationMessage(this, m_desk.applyAutomation());
}

void CRingletDlg::startCheck(CheckTrigger trigger)
{
    if (!m_closed)
        CheckNumber(trigger);
}

void CRingletDlg::runAutomaticCheck(CheckTrigger trigger)
{
    startCheck(trigger);
}

void CRingletDlg::showCall(const Call& call)
{
    // A blocked caller shows as who it was, with the word that it was hung up on.
    const QString hungUp = QString::fromLatin1(Texts::HungUp);
    m_number->setCaller(call.number, !call.blocked ? call.name
                                     : call.name.isEmpty() ? hungUp
                                                           : call.name + QStringLiteral(" (") + hungUp + QLatin1Char(')'));
    if (call.asksForAttention)
        QApplication::alert(this);
}

// A problem someone waits for (a check by hand) waits for its OK; every other
// one is told without stopping anything, one box at a time per cause.
void CRingletDlg::showProblem(const Problem& problem)
{
    if (!problem.mayBlock) {
        // The network's news (lost, back) replaces what its open notice said.
        m_notices.at(problem.cause)->show(problem.words, problem.cause == Problem::Cause::Network);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QCoreApplication::applicationName(), problem.words,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

// A close request that came during the check is honoured now, so the number
// the check read is part of what gets stored.
void CRingletDlg::onCheckFinished()
{
    if (m_closePending)
        close();
}

// One status window per check, run once or twice; the next step comes from
// the event loop once the window is down.
void CRingletDlg::showTimedStatus(const QString& text, bool takeFocus, int ms, std::function<void()> done)
{
    if (!m_status)
        m_status = new CStatusDlg(this, takeFocus ? CStatusDlg::Focus::Take : CStatusDlg::Focus::Leave);
    disconnect(m_status, &CStatusDlg::ended, nullptr, nullptr);
    connect(m_status, &CStatusDlg::ended, this,
            [this, done = std::move(done)] { QTimer::singleShot(0, &m_desk, done); });
    m_status->ShowTimedStatus(text, ms);
}

void CRingletDlg::endStatus()
{
    if (m_status)
        m_status->deleteLater();
    m_status.clear();
}
