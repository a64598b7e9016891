#include "CallHistoryDlg.h"

#include "calls/BlockList.h"
#include "calls/CallHistory.h"
#include "calls/PhoneBook.h"
#include "strings.h"

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Typing in the filter reads the log again; this lets a word be typed first.
constexpr int FilterDelayMs = 250;
// Steps of the whole log's scroll bar: a step of a 100 MB log is 10 kB.
constexpr int LogBarSteps = 10000;
} // namespace

CallHistoryDlg::CallHistoryDlg(const QString& logPath, PhoneBook* book, QWidget* parent)
    : QDialog(parent), m_history(new CallHistory(logPath, this)), m_book(book), m_filter(new QLineEdit(this)),
      m_filterDelay(new QTimer(this)), m_list(new QTableView(this)), m_status(new QLabel(this)),
      m_logBar(new QScrollBar(Qt::Vertical, this))
{
    setWindowTitle(QString::fromUtf8(Texts::CallHistoryTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_history->setPhoneBook(book);

    m_filter->setPlaceholderText(QString::fromUtf8(Texts::HistoryFilterHint));
    m_filter->setClearButtonEnabled(true);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(FilterDelayMs);
    connect(m_filter, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_filterDelay, &QTimer::timeout, this, [this] { m_history->setFilter(m_filter->text()); });

    buildList();

    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    connect(m_history, &CallHistory::statusTextChanged, this, &CallHistoryDlg::showStatus);
    showStatus(m_history->statusText());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(0);
    listRow->addWidget(m_list, 1);
    listRow->addWidget(m_logBar);
    layout->addLayout(listRow, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 28);
}

void CallHistoryDlg::buildList()
{
    m_list->setModel(m_history);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Kept row by row, so rows coming or going above the top can be made up for.
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_list->setWordWrap(false);
    m_list->setShowGrid(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(CallHistory::TimeColumn,
                           m_list->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00 00:00:00  ")));
    m_list->setColumnWidth(CallHistory::NumberColumn, m_list->fontMetrics().averageCharWidth() * 24);

    // The view's own Ctrl+C copies the current cell, which may be the time.
    auto* copy = new QAction(QString::fromUtf8(Texts::CopyNumberItem), m_list);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &CallHistoryDlg::copyNumber);
    m_list->addAction(copy);

    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CallHistoryDlg::showMenu);

    connect(m_history, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first) { topRowsAboutToChange(first); });
    connect(m_history, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { topRowsChanged(first, last - first + 1); });
    connect(m_history, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first) { topRowsAboutToChange(first); });
    connect(m_history, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { topRowsChanged(first, first - last - 1); });
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &CallHistoryDlg::scrolled);

    // Ctrl+Home and Ctrl+End go to the newest and the oldest call of the whole log, not of the rows read.
    auto* newest = new QAction(m_list);
    newest->setShortcut(Qt::CTRL | Qt::Key_Home);
    newest->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(newest, &QAction::triggered, this, &CallHistoryDlg::showNewest);
    auto* oldest = new QAction(m_list);
    oldest->setShortcut(Qt::CTRL | Qt::Key_End);
    oldest->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(oldest, &QAction::triggered, this, &CallHistoryDlg::showOldest);
    m_list->addActions({newest, oldest});

    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_logBar->setRange(0, LogBarSteps);
    m_logBar->setPageStep(LogBarSteps / 20);
    connect(m_logBar, &QScrollBar::actionTriggered, this, &CallHistoryDlg::logBarAction);
    connect(m_logBar, &QScrollBar::valueChanged, this, &CallHistoryDlg::logBarMoved);
    connect(m_list->verticalScrollBar(), &QScrollBar::rangeChanged, this, &CallHistoryDlg::syncLogBar);
    connect(m_history, &QAbstractItemModel::modelReset, this, &CallHistoryDlg::syncLogBar);
}

QString CallHistoryDlg::currentNumber() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.siblingAtColumn(CallHistory::NumberColumn).data().toString() : QString();
}

bool CallHistoryDlg::currentIsNameable() const
{
    return m_book && m_list->currentIndex().data(CallHistory::NameableRole).toBool();
}

void CallHistoryDlg::setBlockList(BlockList* list)
{
    m_blockList = list;
}

void CallHistoryDlg::copyNumber()
{
    // A row without a number (a check that found none) leaves the clipboard as it was.
    if (const QString number = currentNumber(); !number.isEmpty())
        QGuiApplication::clipboard()->setText(number);
}

// Asked without a nested event loop: checks and the log go on meanwhile, and
// the main window can end it like its other dialogs.
void CallHistoryDlg::nameCaller()
{
    const QModelIndex current = m_list->currentIndex();
    const QString number = currentNumber();
    auto* ask = new QInputDialog(this);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowTitle(QString::fromUtf8(Texts::NameCallerTitle));
    ask->setLabelText(QString::fromUtf8(Texts::NameCallerPrompt).arg(number));
    ask->setTextValue(current.siblingAtColumn(CallHistory::NameColumn).data().toString());
    connect(ask, &QInputDialog::textValueSelected, this, [this, number](const QString& name) {
        if (m_book)
            m_book->setName(number, name);
    });
    ask->open();
}

void CallHistoryDlg::showMenu(const QPoint& pos)
{
    const QModelIndex row = m_list->indexAt(pos);
    if (!row.isValid())
        return;
    m_list->setCurrentIndex(row);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QString::fromUtf8(Texts::CopyNumberItem), this, &CallHistoryDlg::copyNumber);
    copy->setEnabled(!currentNumber().isEmpty());
    QAction* name = menu->addAction(QString::fromUtf8(Texts::NameCallerItem), this, &CallHistoryDlg::nameCaller);
    name->setEnabled(currentIsNameable());
    if (const QString number = currentNumber(); m_blockList && !number.isEmpty()) {
        const bool blocked = m_blockList->blocks(number);
        menu->addAction(QString::fromLatin1(blocked ? Texts::UnblockCallerItem : Texts::BlockCallerItem), this,
                        [this, number, blocked] {
                            if (!m_blockList)
                                return;
                            if (blocked)
                                m_blockList->unblock(number);
                            else
                                m_blockList->block(number);
                        });
    }
    menu->popup(m_list->viewport()->mapToGlobal(pos));
}

void CallHistoryDlg::showStatus(const QString& text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void CallHistoryDlg::topRowsAboutToChange(int first)
{
    // Scrolled per item, the scroll bar's value is the top row, also while the
    // view has yet to catch up with a scroll that made the model read on.
    m_topRow = first == 0 ? m_list->verticalScrollBar()->value() : -1;
    m_readingNewer = m_history->isReadingNewer();
}

// Rows that came or went above the list's top row move it by `shift`. New
// calls at the very top stay in view; rows read back in at the top do not
// push the call the user was looking at away.
void CallHistoryDlg::topRowsChanged(int first, int shift)
{
    const int top = m_topRow;
    m_topRow = -1;
    if (first != 0 || top < 0 || (top == 0 && shift > 0 && !m_readingNewer))
        return;
    const int row = qBound(0, top + shift, m_history->rowCount() - 1);
    // The view lays out new rows later; until then the scroll bar's range is
    // the old one and would cut the value short.
    m_list->doItemsLayout();
    m_list->verticalScrollBar()->setValue(row);
}

// At the top, rows let go to keep the window bounded are read back in.
void CallHistoryDlg::scrolled(int value)
{
    syncLogBar();
    if (value != m_list->verticalScrollBar()->minimum() || !m_history->canFetchNewer())
        return;
    m_history->fetchNewer();
}

void CallHistoryDlg::showNewest()
{
    m_history->showNewest();
    m_list->scrollToTop();
    if (m_history->rowCount() > 0)
        m_list->setCurrentIndex(m_history->index(0, qMax(0, m_list->currentIndex().column())));
    syncLogBar();
}

void CallHistoryDlg::showOldest()
{
    m_history->showOldest();
    m_list->doItemsLayout();
    m_list->scrollToBottom();
    if (m_history->rowCount() > 0)
        m_list->setCurrentIndex(m_history->index(m_history->rowCount() - 1, qMax(0, m_list->currentIndex().column())));
    syncLogBar();
}

// A step or a page on the whole log's bar is a step or a page of the list;
// its ends are the log's ends.
void CallHistoryDlg::logBarAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub:
        m_logBar->setSliderPosition(m_logBar->value());
        m_list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderAction(action));
        break;
    default:
        break;
    }
}

// Dragged (or sent to an end): the rows at that place in the file are read.
void CallHistoryDlg::logBarMoved(int value)
{
    if (m_syncing)
        return;
    if (value <= m_logBar->minimum()) {
        showNewest();
        return;
    }
    if (value >= m_logBar->maximum()) {
        showOldest();
        return;
    }
    const qint64 offset = m_history->logSize() * (LogBarSteps - value) / LogBarSteps;
    m_history->showAt(offset);
    m_list->doItemsLayout();
    int row = 0;
    while (row + 1 < m_history->rowCount() && m_history->rowStart(row) > offset)
        ++row;
    m_list->verticalScrollBar()->setValue(row);
}

// The bar's ends only at the log's ends; between them, the top row's place in the file.
void CallHistoryDlg::syncLogBar()
{
    const QScrollBar* rows = m_list->verticalScrollBar();
    const int top = rows->value();
    int value = 0;
    if (m_history->rowCount() == 0 || m_history->logSize() == 0) {
        value = 0;
    } else if (top == 0 && !m_history->canFetchNewer()) {
        value = 0;
    } else if (top >= rows->maximum() && !m_history->canFetchMore(QModelIndex())) {
        value = LogBarSteps;
    } else {
        const qint64 start = m_history->rowStart(qBound(0, top, m_history->rowCount() - 1));
        value = qBound(1, int(LogBarSteps - start * LogBarSteps / m_history->logSize()), LogBarSteps - 1);
    }
    m_syncing = true;
    m_logBar->setValue(value);
    // A log whose calls all fit in the list has nowhere to go.
    m_logBar->setEnabled(rows->maximum() > 0 || m_history->canFetchMore(QModelIndex()) || m_history->canFetchNewer());
    m_syncing = false;
}
