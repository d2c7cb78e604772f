#include "systemerror.h"

#include <cerrno>
#include <cstring>

QString SystemError::text(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("нет места на диске");
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
    case EISDIR:
        return QStringLiteral("под этим именем находится папка");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("нет такой папки");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case EFBIG:
        return QStringLiteral("файл слишком большой");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case EAGAIN:
        return QStringLiteral("файл занят другой программой");
    case ENXIO:
        return QStringLiteral("канал никто не читает");
    default:
        return QStringLiteral("ошибка %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}
