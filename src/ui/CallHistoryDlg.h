#pragma once

#include <QDialog>
#include <QPointer>

class CallHistory;
class PhoneBook;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTableView;
class QTimer;

// The "Call history..." window: the calls of the log, newest first, with a
// filter box, the number copied with Ctrl+C or from the context menu, and
// "Name this caller..." for a row. It is not modal, so checks and the main
// window go on while it is open, and it is deleted when closed (its rows with
// it); the owner keeps one at a time through a QPointer.
class BlockList;

class CallHistoryDlg : public QDialog
{
    Q_OBJECT

public:
    // `book` may be null: no names then, and nothing to name callers in.
    CallHistoryDlg(const QString& logPath, PhoneBook* book, QWidget* parent = nullptr);

    CallHistory* history() const { return m_history; }
    // Where "Block this caller" and "Unblock this caller" go; none: no such items.
    void setBlockList(BlockList* list);

private:
    void buildList();
    QString currentNumber() const;
    bool currentIsNameable() const;
    void copyNumber();
    void nameCaller();
    void showMenu(const QPoint& pos);
    void showStatus(const QString& text);
    void topRowsAboutToChange(int first);
    void topRowsChanged(int first, int shift);
    void scrolled(int value);
    void showNewest();
    void showOldest();
    void logBarAction(int action);
    void logBarMoved(int value);
    void syncLogBar();

    CallHistory* m_history;
    QPointer<PhoneBook> m_book;
    QPointer<BlockList> m_blockList;
    QLineEdit* m_filter;
    QTimer* m_filterDelay;
    QTableView* m_list;
    QLabel* m_status;
    // The whole log, newest at the top: the list's own scroll bar would stand
    // only for the rows read so far. Its value is the top row's place in the file.
    QScrollBar* m_logBar;
    bool m_syncing = false;
    // The row at the top of the list before rows above it come or go, so the
    // same call stays in view.
    int m_topRow = -1;
    // The rows coming at the top are read back in, not new calls.
    bool m_readingNewer = false;
};
