#pragma once

#include <QString>
#include <stdexcept>

// Appending to res.txt failed; `reason` says why, in Russian, for the user.
class AppendFailure : public std::runtime_error
{
public:
    explicit AppendFailure(const QString &reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason)
    {
    }

    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};
