#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "check/CallLog.h"
#include "strings.h"
#include "ui/CallHistoryDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The history window through its own widgets: what the user copies, names
// and scrolls, beyond what the model alone shows.
class tst_CallHistoryDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void copiesTheNumberNotTheCell();
    void checkThatFoundNoNumberIsNoCaller();
    void namesTheCallerOfARow();
    void scrollingThroughALongLogKeepsTheCallInView();
    void logEndsReachedAtOnce();

private:
    QString logPath() const { return m_dir->filePath(QString::fromLatin1(CallLog::FileName)); }
    static QByteArray number(int call) { return "555 " + QByteArray::number(call).rightJustified(6, '0'); }
    void writeLog(int calls);
    static QMenu* visibleMenu();
    static void rightClick(QTableView* list, int row);
    // The call whose row is at the top of the list's viewport.
    static QString topCall(QTableView* list);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_CallHistoryDlg::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_CallHistoryDlg::writeLog(int calls)
{
    QByteArray log;
    const QDateTime newYear(QDate(2024, 1, 1), QTime(0, 0));
    for (int call = 0; call < calls; ++call)
        log += CallLog::formatLine(number(call), newYear.addSecs(60LL * call));
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(log), log.size());
}

QMenu* tst_CallHistoryDlg::visibleMenu()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
            return menu;
    return nullptr;
}

void tst_CallHistoryDlg::rightClick(QTableView* list, int row)
{
    const QPoint pos = list->visualRect(list->model()->index(row, CallHistory::TimeColumn)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list->viewport(), &event);
}

QString tst_CallHistoryDlg::topCall(QTableView* list)
{
    return list->model()->index(list->rowAt(0), CallHistory::NumberColumn).data().toString();
}

void tst_CallHistoryDlg::copiesTheNumberNotTheCell()
{
    writeLog(3);
    CallHistoryDlg dlg(logPath(), nullptr);
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* list = dlg.findChild<QTableView*>();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, CallHistory::TimeColumn));

    QGuiApplication::clipboard()->clear();
    QTest::keySequence(list, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(number(1)));

    rightClick(list, 2);
    QTRY_VERIFY(visibleMenu());
    const QList<QAction*> actions = visibleMenu()->actions();
    QCOMPARE(actions.first()->text(), QString::fromUtf8(Texts::CopyNumberItem));
    // No phone book to write to.
    QCOMPARE(actions.at(1)->isEnabled(), false);
    actions.first()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(number(0)));
    if (QMenu* menu = visibleMenu())
        menu->close();
}

// The check's words are listed as what they were, beside an empty number, and
// Ctrl+C on them copies nothing.
void tst_CallHistoryDlg::checkThatFoundNoNumberIsNoCaller()
{
    const QDateTime when(QDate(2024, 1, 1), QTime(0, 0));
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const char* text : {Texts::CantFindString, Texts::BufferEmpty, Texts::CallerNoCallerId})
        file.write(CallLog::formatLine(text, when));
    file.close();
    CallHistoryDlg dlg(logPath(), nullptr);
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* list = dlg.findChild<QTableView*>();
    const QAbstractItemModel* model = list->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(0, CallHistory::NameColumn).data().toString(), QStringLiteral("Call without caller ID"));
    QCOMPARE(model->index(2, CallHistory::NameColumn).data().toString(),
             QStringLiteral("Check found no number (Can't find string)"));
    for (int row = 0; row < 3; ++row)
        QVERIFY(model->index(row, CallHistory::NumberColumn).data().toString().isEmpty());

    list->setFocus();
    list->setCurrentIndex(model->index(1, CallHistory::TimeColumn));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    QTest::keySequence(list, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

void tst_CallHistoryDlg::namesTheCallerOfARow()
{
    writeLog(3);
    PhoneBook book(m_dir->filePath(QStringLiteral("ringlet.vcf")));
    book.load();
    CallHistoryDlg dlg(logPath(), &book);
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* list = dlg.findChild<QTableView*>();

    rightClick(list, 1);
    QTRY_VERIFY(visibleMenu());
    QAction* name = visibleMenu()->actions().at(1);
    QCOMPARE(name->text(), QString::fromUtf8(Texts::NameCallerItem));
    QVERIFY(name->isEnabled());
    name->trigger();
    if (QMenu* menu = visibleMenu())
        menu->close();

    QInputDialog* ask = nullptr;
    QTRY_VERIFY((ask = dlg.findChild<QInputDialog*>()) && ask->isVisible());
    QVERIFY(ask->labelText().contains(QString::fromLatin1(number(1))));
    ask->setTextValue(QStringLiteral("Grandma"));
    ask->accept();

    QCOMPARE(list->model()->index(1, CallHistory::NameColumn).data().toString(), QStringLiteral("Grandma"));
    QCOMPARE(list->model()->index(0, CallHistory::NameColumn).data().toString(), QString());
    PhoneBook nextRun(book.path());
    nextRun.load();
    QCOMPARE(nextRun.nameFor(QString::fromLatin1(number(1))), QStringLiteral("Grandma"));
}

// With the rows it holds limited, reaching either end of the list reads on
// and lets rows go at the other end; the call scrolled to stays at the top.
void tst_CallHistoryDlg::scrollingThroughALongLogKeepsTheCallInView()
{
    writeLog(2000);
    CallHistoryDlg dlg(logPath(), nullptr);
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    dlg.history()->setRowLimit(300);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* list = dlg.findChild<QTableView*>();
    QScrollBar* bar = list->verticalScrollBar();

    const QString oldest = QString::fromLatin1(number(0));
    for (int step = 0; step < 50 && list->model()->index(list->model()->rowCount() - 1, 1).data() != oldest; ++step) {
        bar->setValue(bar->maximum() - 1);
        const QString before = list->model()->index(list->rowAt(0) + 1, 1).data().toString();
        bar->setValue(bar->maximum());
        QCOMPARE(topCall(list), before);
        QVERIFY(list->model()->rowCount() <= 300);
    }
    QCOMPARE(list->model()->index(list->model()->rowCount() - 1, 1).data().toString(), oldest);

    const QString newest = QString::fromLatin1(number(1999));
    for (int step = 0; step < 50 && list->model()->index(0, 1).data() != newest; ++step) {
        bar->setValue(1);
        const QString before = list->model()->index(list->rowAt(0) - 1, 1).data().toString();
        bar->setValue(0);
        QCOMPARE(topCall(list), before);
    }
    QCOMPARE(list->model()->index(0, 1).data().toString(), newest);
}

// Ctrl+End and the bottom of the scroll bar are the oldest call, however long
// the log; the scroll bar stands for the whole file.
void tst_CallHistoryDlg::logEndsReachedAtOnce()
{
    writeLog(20000);
    CallHistoryDlg dlg(logPath(), nullptr);
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* list = dlg.findChild<QTableView*>();
    auto* bar = dlg.findChild<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(bar && bar->isVisible());
    list->setFocus();

    QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(list->currentIndex().siblingAtColumn(1).data().toString(), QString::fromLatin1(number(0)));
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(list->currentIndex().siblingAtColumn(1).data().toString(), QString::fromLatin1(number(19999)));
    QCOMPARE(bar->value(), bar->minimum());

    bar->setValue((bar->minimum() + bar->maximum()) / 2);
    const int middle = topCall(list).mid(4).toInt();
    QVERIFY2(middle > 9000 && middle < 11000, qPrintable(topCall(list)));
    bar->setValue(bar->maximum());
    QCOMPARE(list->model()->index(list->model()->rowCount() - 1, 1).data().toString(), QString::fromLatin1(number(0)));
}

QTEST_MAIN(tst_CallHistoryDlg)
#include "tst_callhistorydlg.moc"
