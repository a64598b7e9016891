// The main window's side of callers: names from the phone book beside the
// number, naming the caller shown, importing contacts, the call history window.

#include "MainDlg.h"

#include "CallHistoryDlg.h"
#include "NoticeBox.h"
#include "base/DisplayText.h"
#include "base/ProfileStore.h"
#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "calls/PhoneNumber.h"
#include "check/CallLog.h"
#include "strings.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

void CRingletDlg::setUpPhoneBook()
{
    m_book = new PhoneBook(m_store.folder() + QStringLiteral("/ringlet.vcf"), this);
    m_bookNotice = new NoticeBox(this);
    connect(m_book, &PhoneBook::failed, m_bookNotice, &NoticeBox::show);
    connect(m_book, &PhoneBook::changed, this, &CRingletDlg::showCallerName);

    auto* history = new QAction(QString::fromLatin1(Texts::CallHistoryItem), this);
    history->setShortcut(Qt::CTRL | Qt::Key_H);
    connect(history, &QAction::triggered, this, &CRingletDlg::showCallHistory);
    addAction(history);
}

// Read once the window is up: a large phone book does not hold up start-up.
void CRingletDlg::loadPhoneBook()
{
    QTimer::singleShot(0, m_book, &PhoneBook::load);
}

void CRingletDlg::addCallerItems(QMenu* menu)
{
    menu->addAction(QString::fromLatin1(Texts::CallHistoryItem), this, &CRingletDlg::showCallHistory)
        ->setShortcut(Qt::CTRL | Qt::Key_H);
    QAction* name = menu->addAction(QString::fromLatin1(Texts::NameCallerItem), this, &CRingletDlg::nameShownCaller);
    name->setEnabled(!PhoneNumber::digits(m_number->text()).isEmpty());
    menu->addAction(QString::fromLatin1(Texts::ImportContactsItem), this, &CRingletDlg::importContacts);
}

// A name from the phone book wins over the one the modem announced.
QString CRingletDlg::callerName(const QString& displayText, const QString& announcedName) const
{
    const QString known = isFixedDisplayText(displayText) ? QString() : m_book->nameFor(displayText);
    return known.isEmpty() ? announcedName : known;
}

void CRingletDlg::showCallerName()
{
    m_number->setCaller(m_number->text(), callerName(m_number->text(), m_announcedName));
}

void CRingletDlg::nameShownCaller()
{
    const QString number = m_number->text();
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, QString::fromLatin1(Texts::NameCallerTitle),
                              QString::fromLatin1(Texts::NameCallerPrompt).arg(number), QLineEdit::Normal,
                              m_book->nameFor(number), &ok);
    if (ok)
        m_book->setName(number, name.trimmed());
}

void CRingletDlg::importContacts()
{
    const QString file = QFileDialog::getOpenFileName(this, QString::fromLatin1(Texts::ImportContactsItem).remove(QLatin1Char('&')),
                                                      QString(), QString::fromLatin1(Texts::ImportFileFilter));
    if (file.isEmpty())
        return;
    const PhoneBook::ImportResult result = m_book->importFile(file);
    QMessageBox::information(this, QCoreApplication::applicationName(), PhoneBook::describe(result, file));
}

// One history window, kept in step with the log setting; it goes when closed.
void CRingletDlg::showCallHistory()
{
    if (!m_history)
        m_history = new CallHistoryDlg(QFileInfo(QString::fromLatin1(CallLog::FileName)).absoluteFilePath(), m_book, this);
    m_history->history()->setLoggingOn(m_settings.logFlags & LogFlags::EnableLog);
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}
