#pragma once

#include <QString>

class QComboBox;

// The two port lists of the configuration dialog: editable combo boxes whose
// entries stay sorted without regard to case, as the platform's sorted lists
// keep them, and which start with nothing selected.
namespace PortList {
// Makes `list` an editable port list: typing never adds entries.
void setUp(QComboBox* list);

// Inserts `text` at its sorted place, after any entries that compare equal;
// returns its index.
int insertSorted(QComboBox* list, const QString& text);

// Whether an entry is selected: the current entry, still shown unedited.
bool hasSelection(const QComboBox* list);

// Selects nothing and empties the edit field.
void clearSelection(QComboBox* list);

// Shows `port`: selects its entry when listed (exactly, case and all), or else
// shows the name as it is with nothing selected, so a port the system does not
// list (unplugged, or a device path) is seen and kept.
void showPort(QComboBox* list, const QString& port);

// The port the list names on OK: the selected entry, or the text in the edit
// field as typed; empty when the field is empty.
QString chosenPort(const QComboBox* list);
} // namespace PortList
