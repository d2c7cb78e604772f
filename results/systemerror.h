#pragma once

#include <QString>

// Why a file could not be opened or written, in Russian for the user, from the error number.
namespace SystemError {

QString text(int error);

} // namespace SystemError
