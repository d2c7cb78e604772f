#include "resourcelimits.h"

#include "filepath.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

// Written without Qt, which may need memory for the conversion.
constexpr char kMemoryShortage[] = "mouse-tutor: не хватает памяти\n";
// Enough for unwinding, a message box and its fonts.
constexpr size_t kReserve = size_t(16) << 20;

void (*g_cleanup)() = nullptr;
std::terminate_handler g_before = nullptr;
void *g_reserve = nullptr;

void onTerminate()
{
    try {
        if (const std::exception_ptr exception = std::current_exception())
            std::rethrow_exception(exception);
    } catch (const std::bad_alloc &) {
        if (g_cleanup)
            g_cleanup();
        static_cast<void>(::write(STDERR_FILENO, kMemoryShortage, sizeof kMemoryShortage - 1));
        ::_exit(1);
    } catch (...) {
    }
    g_before ? g_before() : std::abort();
}

// The first time memory runs out, the reserve goes, and the allocation fails all the same:
// what catches it then has room to work.
void onNoMemory()
{
    ResourceLimits::releaseReserve();
    throw std::bad_alloc();
}

} // namespace

int ResourceLimits::spareDescriptors(int enough)
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return enough;
    int spare = 0;
    for (rlim_t fd = 0; fd < limit.rlim_cur && spare < enough; ++fd) {
        if (::fcntl(int(fd), F_GETFD) < 0 && errno == EBADF)
            ++spare;
    }
    return spare;
}

bool ResourceLimits::spareMemory(qint64 bytes)
{
    // Taken as address space only, which a limit on memory counts, and given back at once.
    void *taken = ::mmap(nullptr, size_t(bytes), PROT_NONE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (taken == MAP_FAILED)
        return false;
    ::munmap(taken, size_t(bytes));
    return true;
}

QString ResourceLimits::windowShortage()
{
    const int spare = spareDescriptors(kWindowDescriptors);
    if (spare < kWindowDescriptors)
        return QStringLiteral("mouse-tutor: слишком мало свободных дескрипторов файлов: %1, а окну "
                              "нужно не меньше %2 (их число ограничивает ulimit -n)\n")
            .arg(spare)
            .arg(kWindowDescriptors);
    if (!spareMemory(kWindowMemory))
        return QStringLiteral("mouse-tutor: не хватает памяти, чтобы открыть окно: нужно ещё "
                              "не меньше %1 МБ (память может ограничивать ulimit -v)\n")
            .arg(kWindowMemory >> 20);
    return {};
}

QString ResourceLimits::memoryShortage()
{
    return QString::fromUtf8(kMemoryShortage);
}

void ResourceLimits::exitWhenMemoryRunsOut(void (*cleanup)())
{
    g_cleanup = cleanup;
    const std::terminate_handler before = std::set_terminate(onTerminate);
    if (before != onTerminate)
        g_before = before;
}

void ResourceLimits::keepReserve()
{
    if (!g_reserve)
        g_reserve = std::malloc(kReserve);
    std::set_new_handler(onNoMemory);
}

void ResourceLimits::releaseReserve()
{
    std::set_new_handler(nullptr);
    std::free(std::exchange(g_reserve, nullptr));
}

bool ResourceLimits::readyForWindow()
{
    const QString shortage = windowShortage();
    if (!shortage.isEmpty()) {
        std::fputs(FilePath::encode(shortage).constData(), stderr);
        return false;
    }
    keepReserve();
    return true;
}
