#include "ErrorReport.h"

#include "base/RingletError.h"

#include <QCoreApplication>
#include <QMessageBox>

bool runReportingErrors(QWidget* owner, const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const RingletError& error) {
        QMessageBox::warning(owner, QCoreApplication::applicationName(), error.description());
        return false;
    }
}
