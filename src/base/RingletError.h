#pragma once

#include <QString>
#include <stdexcept>

// The one error the program raises: a failed serial operation or a failed write
// to the call log. It carries a description fit to show the user as it stands.
class RingletError : public std::runtime_error
{
public:
    explicit RingletError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }

    QString description() const { return m_description; }

private:
    QString m_description;
};
