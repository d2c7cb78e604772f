#pragma once

#include <QByteArray>

class QProcess;

// Another program holding a lock on res.txt in the working directory: the test's own executable
// started again with "--hold-lock r" (shared) or "--hold-lock w" (exclusive).
namespace LockHolder {

// In main(), before anything else: in the helper this takes the lock, says so and waits to be
// ended; in the test itself (no such arguments) it returns false at once.
bool runIfAsked(int argc, char *argv[]);
// Starts the helper; true once it holds the lock.
bool start(QProcess &holder, const QByteArray &type);

} // namespace LockHolder
