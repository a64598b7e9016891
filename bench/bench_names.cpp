// The phone book and the call history at sizes beyond any real desk: loading
// 10,000 cards and looking numbers up in them; opening the history of a
// 100 MB log, scrolling it from end to end, and filtering it, with what that
// costs in resident memory.
#include "BenchReport.h"
#include "ProcessUsage.h"

#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "check/CallLog.h"
#include "ui/CallHistoryDlg.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString number(int i)
{
    return QStringLiteral("+1 (%1) 555-%2").arg(200 + i % 700).arg(i % 10000, 4, 10, QLatin1Char('0'));
}

// Cards as a phone exports them: two or three numbers each, one of them in a
// group, some folded, an address and a note the phone book does not read.
QByteArray tenThousandCards()
{
    QByteArray vcf;
    for (int i = 0; i < 10000; ++i) {
        const QByteArray n = QByteArray::number(i);
        vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + n + ";Given;;;\r\nFN:Given Person" + n + "\r\n";
        vcf += "TEL;TYPE=CELL:" + number(i).toLatin1() + "\r\n";
        vcf += "item1.TEL;TYPE=HOME:0" + QByteArray::number(30000000 + i) + "\r\nitem1.X-ABLabel:home\r\n";
        if (i % 3 == 0)
            vcf += "TEL;VALUE=uri:tel:+49-89-" + QByteArray::number(4000000 + i) + "\r\n";
        vcf += "EMAIL;TYPE=INTERNET:person" + n + "@example.org\r\nADR;TYPE=HOME:;;" + n +
               " Main Street;Springfield;;;\r\n";
        vcf += "NOTE:A note long enough to be folded by the program that wrote it over more than one\r\n  line.\r\n";
        vcf += "END:VCARD\r\n";
    }
    return vcf;
}

bool benchPhoneBook()
{
    std::printf("Phone book of 10,000 cards\n");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ringlet.vcf"));
    QFile file(path);
    const QByteArray vcf = tenThousandCards();
    if (!file.open(QIODevice::WriteOnly) || file.write(vcf) != vcf.size())
        return false;
    file.close();

    std::vector<double> loads;
    for (int run = 0; run < 11; ++run) {
        PhoneBook book(path);
        QElapsedTimer clock;
        clock.start();
        book.load();
        loads.push_back(clock.nsecsElapsed() / 1e6);
        if (book.numberCount() != 23334) {
            std::printf("  read %d numbers, not 23334\n", book.numberCount());
            return false;
        }
    }
    bool ok = report("load, median of 11", median(loads), 100, "ms");

    // The same cards imported into an empty book, which is then written.
    std::vector<double> imports;
    for (int run = 0; run < 11; ++run) {
        PhoneBook empty(dir.filePath(QStringLiteral("empty%1.vcf").arg(run)));
        empty.load();
        QElapsedTimer clock;
        clock.start();
        const PhoneBook::ImportResult result = empty.importFile(path);
        imports.push_back(clock.nsecsElapsed() / 1e6);
        if (result.added != 23334) {
            std::printf("  imported %d numbers, not 23334\n", result.added);
            return false;
        }
    }
    ok = report("import into an empty book, written, median of 11", median(imports), 100, "ms") && ok;

    PhoneBook book(path);
    book.load();
    // As the modem shows them: national form, digits run together; half of them unknown.
    QStringList calls;
    for (int i = 0; i < 10000; ++i)
        calls << QString::number(200 + i % 700) + QStringLiteral("555") +
                     QStringLiteral("%1").arg(i % 10000, 4, 10, QLatin1Char('0'))
              << QStringLiteral("0") + QString::number(70000000 + i);
    std::vector<double> lookups;
    int named = 0;
    for (int run = 0; run < 11; ++run) {
        QElapsedTimer clock;
        clock.start();
        for (const QString& call : std::as_const(calls))
            named += book.nameFor(call).isEmpty() ? 0 : 1;
        lookups.push_back(clock.nsecsElapsed() / 1e3 / calls.size());
    }
    if (named != 11 * 10000) {
        std::printf("  named %d calls, not %d\n", named, 11 * 10000);
        return false;
    }
    ok = report("lookup, median of 11 rounds of 20,000", median(lookups), 10, "us") && ok;
    return ok;
}

// A log of `bytes`, of calls a minute apart.
bool writeLog(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QDateTime start(QDate(2001, 1, 1), QTime(0, 0));
    QByteArray block;
    for (qint64 i = 0; file.size() + block.size() < bytes; ++i) {
        block += CallLog::formatLine("0" + QByteArray::number(30000000 + i % 9000000), start.addSecs(60 * i));
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return true;
}

// The window's Ctrl+End and Ctrl+Home, each from the other end of the log.
bool benchLogEnds(const QString& path)
{
    CallHistoryDlg dlg(path, nullptr);
    dlg.setAttribute(Qt::WA_DeleteOnClose, false);
    dlg.show();
    QCoreApplication::processEvents();
    auto* list = dlg.findChild<QTableView*>();
    QAction* oldest = nullptr;
    QAction* newest = nullptr;
    for (QAction* action : list->actions()) {
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_End))
            oldest = action;
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Home))
            newest = action;
    }
    if (!oldest || !newest)
        return false;
    const QString first = QStringLiteral("030000000");
    std::vector<double> toOldest;
    std::vector<double> toNewest;
    for (int run = 0; run < 11; ++run) {
        QElapsedTimer clock;
        clock.start();
        oldest->trigger();
        QCoreApplication::processEvents();
        toOldest.push_back(clock.nsecsElapsed() / 1e6);
        if (list->currentIndex().siblingAtColumn(CallHistory::NumberColumn).data().toString() != first) {
            std::printf("  Ctrl+End showed %s, not the oldest call\n",
                        qPrintable(list->currentIndex().siblingAtColumn(CallHistory::NumberColumn).data().toString()));
            return false;
        }
        clock.start();
        newest->trigger();
        QCoreApplication::processEvents();
        toNewest.push_back(clock.nsecsElapsed() / 1e6);
    }
    bool ok = report("Ctrl+End to the oldest call, median of 11", median(toOldest), 200, "ms");
    return report("Ctrl+Home back to the newest, median of 11", median(toNewest), 200, "ms") && ok;
}

bool benchHistory()
{
    std::printf("Call history of a 100 MB log\n");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ringlet.log"));
    if (!writeLog(path, 100LL * 1000 * 1000))
        return false;
    const qint64 rssBefore = ProcessUsage::residentKb();

    QElapsedTimer clock;
    clock.start();
    QTableView view;
    CallHistory history(path);
    view.setModel(&history);
    view.resize(600, 400);
    view.show();
    QCoreApplication::processEvents();
    const double firstRows = clock.nsecsElapsed() / 1e6;
    bool ok = report("first rows shown", firstRows, 200, "ms") && history.rowCount() > 0;

    clock.start();
    int fetches = 0;
    while (history.canFetchMore(QModelIndex())) {
        history.fetchMore(QModelIndex());
        if (++fetches % 64 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const double scroll = clock.nsecsElapsed() / 1e6;
    std::printf("  scrolled to the oldest call in %.0f ms (%d reads; %d rows held)\n", scroll, fetches,
                history.rowCount());

    clock.start();
    history.setFilter(QStringLiteral("no such caller"));
    while (history.statusText().isEmpty() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    std::printf("  a filter that matches nothing: whole log read in %.0f ms, the window live meanwhile\n",
                clock.nsecsElapsed() / 1e6);
    const double grown = (ProcessUsage::residentKb() - rssBefore) / 1024.0;
    ok = report("resident memory growth (open, scroll to the end, filter)", grown, 20, "MiB") && ok;
    return benchLogEnds(path) && ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool bookOk = benchPhoneBook();
    const bool historyOk = benchHistory();
    return bookOk && historyOk ? 0 : 1;
}
