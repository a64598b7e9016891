#include "LogFailureNotice.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>

LogFailureNotice::LogFailureNotice(QWidget* owner) : QObject(owner), m_owner(owner) {}

void LogFailureNotice::show(const QString& text)
{
    if (isShown())
        return;
    m_box = new QMessageBox(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::Ok, m_owner);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->setWindowModality(Qt::NonModal);
    m_box->show();
}

bool LogFailureNotice::isShown() const
{
    return m_box && m_box->isVisible();
}
