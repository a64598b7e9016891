#pragma once

#include <QString>

class CMSComm;
class RegistryReader;
struct SettingsRecord;

// The number of a port name: the digit run starting at the first digit 1-9,
// saturated at 32767 (the top of CommPort's range)
// ("COM1" 1, "COM10" 10, "COM01" 1, "COM0" 0, "NA" 0).
int PortNumberFromName(const QString& name);

// Puts the record's port and line settings on the serial component: the number
// and name of `port`, then the line settings from the system's port table when
// it has an entry for the port (which then replaces `setting` for good), else
// the stored `setting`. Raises RingletError when the component refuses either.
void applyPortSettings(SettingsRecord& record, CMSComm& comm, const RegistryReader& registry);
