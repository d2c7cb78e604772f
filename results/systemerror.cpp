#include "systemerror.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace {

// The texts for reading, writing and starting a program, by the error number: every error a
// user can meet with a results file, a table written beside it, a network share or the
// journal's program. Any other is said as its number and the system's own words.
struct ErrorText
{
    int error;
    std::array<const char16_t *, 3> texts;
};

constexpr std::array<const char16_t *, 3> all(const char16_t *text)
{
    return {text, text, text};
}

constexpr const char16_t *kBusy = u"файл занят другой программой";
constexpr const char16_t *kNoMemory = u"не хватает памяти";
constexpr const char16_t *kTooLarge = u"файл слишком большой";
constexpr const char16_t *kNoDevice = u"устройство недоступно";
constexpr const char16_t *kNoHost = u"нет связи с компьютером, на котором сетевой диск";
constexpr const char16_t *kNoNetwork = u"нет связи с сетью";
constexpr const char16_t *kConnectionLost = u"связь с сетевым диском прервана";
constexpr const char16_t *kDamaged = u"данные на диске повреждены";
constexpr const char16_t *kUnsupported = u"диск не поддерживает такую работу с файлом";

constexpr ErrorText kTexts[] = {
    {ENOENT, {u"файл не найден", u"нет такой папки", u"файл не найден"}},
    {ENOTDIR, {u"файл не найден", u"нет такой папки", u"файл не найден"}},
    {EACCES, {u"нет прав на чтение", u"нет прав на запись", u"нет прав на запуск"}},
    {EPERM, {u"нет прав на чтение", u"нет прав на запись", u"нет прав на запуск"}},
    {EAGAIN, {kBusy, kBusy, u"не хватает ресурсов системы: запущено слишком много программ"}},
    {EDEADLK, all(kBusy)},
    {EBUSY, all(u"файл или устройство занято")},
    {ETXTBSY,
     {u"файл занят: это запущенная программа", u"файл занят: это запущенная программа",
      u"файл программы сейчас записывается"}},
    {EIO, all(u"ошибка ввода-вывода")},
    {EREMOTEIO, all(u"ошибка ввода-вывода на сетевом диске")},
    {ENOSPC, all(u"нет места на диске")},
    {EDQUOT, all(u"превышена дисковая квота")},
    {EROFS, all(u"диск доступен только для чтения")},
    {EISDIR, all(u"под этим именем находится папка")},
    {EEXIST, all(u"файл с таким именем уже есть")},
    {ENOTEMPTY, all(u"под этим именем находится папка, и она не пуста")},
    {EXDEV, all(u"файл нельзя перенести на другой диск")},
    {ENAMETOOLONG, all(u"слишком длинное имя")},
    {EILSEQ, all(u"в имени есть знаки, которых не допускает диск")},
    {ELOOP, all(u"слишком много ссылок подряд, или ссылка указывает сама на себя")},
    {EFBIG, all(kTooLarge)},
    {EOVERFLOW, all(kTooLarge)},
    {ENXIO, {kNoDevice, u"канал никто не читает", kNoDevice}},
    {ENODEV, all(kNoDevice)},
    {ENOMEDIUM, all(u"в устройстве нет носителя")},
    {EPIPE, all(u"канал закрыт: читавшая программа завершилась")},
    {ESPIPE, all(u"это канал, а не файл")},
    {EBADF, all(u"файл не открыт")},
    {EINVAL, all(u"с этим файлом так работать нельзя")},
    {ENOTSUP, all(kUnsupported)},
#if EOPNOTSUPP != ENOTSUP
    {EOPNOTSUPP, all(kUnsupported)},
#endif
    {ENOLCK, all(u"диск не даёт заблокировать файл")},
    {EMFILE, all(u"программа открыла слишком много файлов")},
    {ENFILE, all(u"в системе открыто слишком много файлов")},
    {ENOMEM, all(kNoMemory)},
    {ENOBUFS, all(kNoMemory)},
    {ENOEXEC, all(u"файл не является программой")},
    {ELIBBAD, all(u"файл программы повреждён")},
    {E2BIG, all(u"слишком длинная командная строка")},
    {EINTR, all(u"операция прервана")},
    {ECANCELED, all(u"операция отменена")},
    {ESTALE, all(u"файл на сетевом диске удалили или заменили")},
    {ETIMEDOUT, all(u"сетевой диск не отвечает")},
    {EHOSTDOWN, all(kNoHost)},
    {EHOSTUNREACH, all(kNoHost)},
    {ENETDOWN, all(kNoNetwork)},
    {ENETUNREACH, all(kNoNetwork)},
    {ECONNREFUSED, all(kConnectionLost)},
    {ECONNRESET, all(kConnectionLost)},
    {ECONNABORTED, all(kConnectionLost)},
    {ENOTCONN, all(kConnectionLost)},
    {ESHUTDOWN, all(kConnectionLost)},
    {ENOLINK, all(kConnectionLost)},
    {ECOMM, all(kConnectionLost)},
    {EKEYEXPIRED, all(u"истёк срок входа на сетевой диск: войдите в систему заново")},
    {EUCLEAN, all(kDamaged)},
    {EBADMSG, all(kDamaged)},
};

} // namespace

QString SystemError::text(int error, Use use)
{
    for (const ErrorText &row : kTexts) {
        if (row.error == error)
            return QString::fromUtf16(row.texts[size_t(use)]);
    }
    return QStringLiteral("ошибка %1 (%2)")
        .arg(error)
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}
