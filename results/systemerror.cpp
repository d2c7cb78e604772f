#include "systemerror.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace {

// The texts for reading, writing and starting a program; null where the program has no words of
// its own for that use, and says the number and the system's words instead.
struct ErrorText
{
    int error;
    std::array<const char16_t *, 3> texts;
};

constexpr ErrorText kTexts[] = {
    {ENOENT, {u"файл не найден", u"нет такой папки", u"файл не найден"}},
    {ENOTDIR, {u"файл не найден", u"нет такой папки", u"файл не найден"}},
    {EACCES, {u"нет прав на чтение", u"нет прав на запись", u"нет прав на запуск"}},
    {EPERM, {u"нет прав на чтение", u"нет прав на запись", u"нет прав на запуск"}},
    {EAGAIN, {u"файл занят другой программой", u"файл занят другой программой", nullptr}},
    {EIO, {u"ошибка ввода-вывода", u"ошибка ввода-вывода", u"ошибка ввода-вывода"}},
    {ENOSPC, {nullptr, u"нет места на диске", nullptr}},
    {EDQUOT, {nullptr, u"превышена дисковая квота", nullptr}},
    {EROFS, {nullptr, u"диск доступен только для чтения", nullptr}},
    {EISDIR, {nullptr, u"под этим именем находится папка", nullptr}},
    {ENAMETOOLONG, {nullptr, u"слишком длинное имя", nullptr}},
    {EFBIG, {nullptr, u"файл слишком большой", nullptr}},
    {ENXIO, {nullptr, u"канал никто не читает", nullptr}},
    {EMFILE,
     {u"у программы открыто слишком много файлов", u"у программы открыто слишком много файлов",
      u"у программы открыто слишком много файлов"}},
    {ENFILE,
     {u"в системе открыто слишком много файлов", u"в системе открыто слишком много файлов",
      u"в системе открыто слишком много файлов"}},
    {ENOMEM, {u"не хватает памяти", u"не хватает памяти", u"не хватает памяти"}},
    {ELOOP,
     {u"слишком много ссылок подряд", u"слишком много ссылок подряд",
      u"слишком много ссылок подряд"}},
};

} // namespace

QString SystemError::text(int error, Use use)
{
    for (const ErrorText &row : kTexts) {
        if (row.error == error && row.texts[size_t(use)])
            return QString::fromUtf16(row.texts[size_t(use)]);
    }
    return QStringLiteral("ошибка %1 (%2)")
        .arg(error)
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}
