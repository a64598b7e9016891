#pragma once

#include <functional>

class QWidget;

// Runs the body of a user-visible handler. A RingletError raised inside ends the
// body where it stands and is shown to the user in a message box owned by
// `owner`; exceptions never reach Qt's event loop. Returns false when the body
// was cut short by an error.
bool runReportingErrors(QWidget* owner, const std::function<void()>& body);
