#include "PortList.h"

#include <QComboBox>

namespace PortList {

void setUp(QComboBox* list)
{
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would rewrite what the user types into an entry's text.
    list->setCompleter(nullptr);
    clearSelection(list);
}

int insertSorted(QComboBox* list, const QString& text)
{
    int index = 0;
    while (index < list->count() && QString::compare(list->itemText(index), text, Qt::CaseInsensitive) <= 0)
        ++index;
    const bool wasEmpty = list->count() == 0;
    list->insertItem(index, text);
    // Qt makes the first entry of an empty list current; a port list starts unselected.
    if (wasEmpty)
        clearSelection(list);
    return index;
}

bool hasSelection(const QComboBox* list)
{
    const int index = list->currentIndex();
    return index >= 0 && list->currentText() == list->itemText(index);
}

void clearSelection(QComboBox* list)
{
    list->setCurrentIndex(-1);
    list->setEditText(QString());
}

void showPort(QComboBox* list, const QString& port)
{
    const int index = list->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        list->setCurrentIndex(index);
        return;
    }
    list->setCurrentIndex(-1);
    list->setEditText(port);
}

QString chosenPort(const QComboBox* list)
{
    if (hasSelection(list))
        return list->itemText(list->currentIndex());
    return list->currentText();
}

} // namespace PortList
