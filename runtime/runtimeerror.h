#pragma once

#include <QString>
#include <stdexcept>

// An error that a handler does not catch. The runtime reports it in an error box and ends the
// program (see Runtime::dispatch).
class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(int number, const QString &description);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }

    static RuntimeError overflow();
    static RuntimeError noSuchControl(const QString &name);

private:
    int m_number;
    QString m_description;
};

// Thrown by the runtime once the program has ended, so that the running handler stops at once;
// the outermost dispatch swallows it.
class ProgramEnded
{
};
