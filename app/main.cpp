// Parview: interactive, or in batch mode ("-swing", "-putt") without a window.

#include "Parview.h"
#include "QuitOnSignal.h"
#include "SimulatorRun.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#ifdef __GLIBC__
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

bool isBatch(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-swing") == 0 || std::strcmp(argv[i], "-putt") == 0)
            return true;
    return false;
}

#ifdef __GLIBC__
// A batch run allocates and frees picture-sized buffers again and again;
// kept in the heap, their pages are reused instead of being handed back to
// the kernel and faulted in anew, which costs more than drawing them. The
// heap gets its room at once, in huge pages where the system has them: one
// fault for 2 MB instead of 512.
void keepHeap()
{
    constexpr std::size_t huge = std::size_t(2) << 20;
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
    void* probe = std::malloc(1 << 20); // grows the heap by the padding
    if (!probe)
        return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(probe) + huge - 1) & ~(huge - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
#ifdef MADV_HUGEPAGE
    if (end > begin) // a hint: without huge pages the heap works as before
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)end;
#endif
    std::free(probe);
}
#endif

// Batch mode's messages, one a line; the exit status tells whether there were any.
int report(const QStringList& messages)
{
    for (const QString& message : messages) {
        std::printf("%s\n", message.toLocal8Bit().constData());
        qDebug().noquote() << message;
    }
    std::fflush(stdout);
    return messages.isEmpty() ? 0 : -1;
}

} // namespace

int main(int argc, char** argv)
{
    // A batch run never shows its window, so on a machine without a display
    // it must not need one.
    if (isBatch(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

#ifdef __GLIBC__
    if (isBatch(argc, argv))
        keepHeap();
#endif

    QApplication app(argc, argv);
    // Where QSettings keeps what the window remembers (whether the shot data shows).
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Parview"));
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("-cwd")) {
        errno = 0;
        // A batch run must not leave its pictures and files where it was not
        // asked to; the window starts where it was started, as it always did.
        if (!QDir::setCurrent(arguments.at(1)) && isBatch(argc, argv)) {
            const int error = errno != 0 ? errno : ENOENT;
            return report(
                {QCoreApplication::translate("Parview", "Unable to use the directory: %1 (%2)")
                     .arg(arguments.at(1), QString::fromLocal8Bit(std::strerror(error)))});
        }
        arguments.remove(0, 2);
    }

    if (!arguments.contains(QLatin1String("-swing")) &&
        !arguments.contains(QLatin1String("-putt"))) {
        Parview window(arguments);
        quitOnTerminationSignals(&app);
        window.show();
        return app.exec();
    }
    // The work is done in the window's constructor, without an event loop: a
    // signal stops the simulator and removes the working files right away.
    cleanUpOnTerminationSignals(simrun::removePrivateDirNow);
    Parview window(arguments);
    return report(window.messages());
}
