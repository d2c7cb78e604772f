#pragma once

#include <QString>

// Why a file could not be opened, read, written or started, in Russian for the user, from the
// error number: one table for the whole program.
namespace SystemError {

// What was being done: the same error reads differently for each («нет прав на чтение», «нет
// прав на запись»).
enum class Use { Read, Write, Run };

QString text(int error, Use use);

} // namespace SystemError
