// Parview: interactive, or in batch mode ("-swing", "-putt") without a window.

#include "Parview.h"
#include "QuitOnSignal.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <cstdio>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

bool isBatch(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-swing") == 0 || std::strcmp(argv[i], "-putt") == 0)
            return true;
    return false;
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
    // A batch run allocates and frees picture-sized buffers again and again;
    // kept in the heap, their pages are reused instead of being handed back
    // to the kernel and faulted in anew, which costs more than drawing them.
    if (isBatch(argc, argv)) {
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    }
#endif

    QApplication app(argc, argv);
    // Where QSettings keeps what the window remembers (whether the shot data shows).
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Parview"));
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("-cwd")) {
        QDir::setCurrent(arguments.at(1));
        arguments.remove(0, 2);
    }

    Parview window(arguments);
    if (!arguments.contains(QLatin1String("-swing")) &&
        !arguments.contains(QLatin1String("-putt"))) {
        quitOnTerminationSignals(&app);
        window.show();
        return app.exec();
    }

    const QStringList messages = window.messages();
    for (const QString& message : messages) {
        std::printf("%s\n", message.toLocal8Bit().constData());
        qDebug().noquote() << message;
    }
    std::fflush(stdout);
    return messages.isEmpty() ? 0 : -1;
}
