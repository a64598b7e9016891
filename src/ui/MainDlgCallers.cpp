// The main window's side of callers: names from the phone book beside the
// number, naming the caller shown, importing contacts, the call history window.

#include "MainDlg.h"

#include "CallHistoryDlg.h"
#include "calls/BlockList.h"
#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "calls/PhoneNumber.h"
#include "strings.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

// Ctrl+H opens the history from the window itself, not only from its menu.
void CRingletDlg::addHistoryShortcut()
{
    auto* history = new QAction(QString::fromLatin1(Texts::CallHistoryItem), this);
    history->setShortcut(Qt::CTRL | Qt::Key_H);
    connect(history, &QAction::triggered, this, &CRingletDlg::showCallHistory);
    addAction(history);
}

void CRingletDlg::addCallerItems(QMenu* menu)
{
    menu->addAction(QString::fromLatin1(Texts::CallHistoryItem), this, &CRingletDlg::showCallHistory)
        ->setShortcut(Qt::CTRL | Qt::Key_H);
    QAction* name = menu->addAction(QString::fromLatin1(Texts::NameCallerItem), this, &CRingletDlg::nameShownCaller);
    name->setEnabled(!PhoneNumber::digits(m_desk.currentCall().number).isEmpty());
    menu->addAction(QString::fromLatin1(Texts::ImportContactsItem), this, &CRingletDlg::importContacts);
    // Any caller shown can be blocked: a number, or the words Private and Unavailable.
    const QString number = m_desk.currentCall().number;
    const bool blocked = m_desk.isBlocked(number);
    QAction* block = menu->addAction(QString::fromLatin1(blocked ? Texts::UnblockCallerItem : Texts::BlockCallerItem),
                                     this, [this, number, blocked] { m_desk.setBlocked(number, !blocked); });
    block->setObjectName(QStringLiteral("blockCaller"));
    block->setEnabled(BlockList::canBlock(number));
}

void CRingletDlg::nameShownCaller()
{
    const QString number = m_desk.currentCall().number;
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, QString::fromLatin1(Texts::NameCallerTitle),
                              QString::fromLatin1(Texts::NameCallerPrompt).arg(number), QLineEdit::Normal,
                              m_desk.knownName(number), &ok);
    if (ok)
        m_desk.nameCaller(number, name.trimmed());
}

void CRingletDlg::importContacts()
{
    const QString file = QFileDialog::getOpenFileName(this, QString::fromLatin1(Texts::ImportContactsItem).remove(QLatin1Char('&')),
                                                      QString(), QString::fromLatin1(Texts::ImportFileFilter));
    if (file.isEmpty())
        return;
    const PhoneBook::ImportResult result = phoneBook().importFile(file);
    QMessageBox::information(this, QCoreApplication::applicationName(), PhoneBook::describe(result, file));
}

// One history window, kept in step with the log setting; it goes when closed.
void CRingletDlg::showCallHistory()
{
    if (!m_history)
        m_history = new CallHistoryDlg(m_desk.logFilePath(), &phoneBook(), this);
    m_history->setBlockList(&m_desk.blockList());
    m_history->history()->setLoggingOn(settings().logFlags & LogFlags::EnableLog);
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}
