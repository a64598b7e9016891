#pragma once

class ProfileStore;
class QString;
class QWidget;

// The settings are written once, at close; a store that did not take them would
// lose the whole run without a word (and on the first run, the chosen port).

// Why the settings file at `filePath` cannot be written, as far as its folder
// tells: a file standing where a folder should be, or the system's reason for
// refusing a new file there (read-only, full, no permission). Empty when the
// folder takes a file.
QString whyFileCannotBeWritten(const QString& filePath);

// After the close writes: when `store` did not take them, tells the user once,
// in a message box owned by `owner`, naming the store and the reason. Returns
// whether the settings were stored.
bool confirmSettingsStored(QWidget* owner, const ProfileStore& store);
