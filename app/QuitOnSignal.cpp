#include "QuitOnSignal.h"

#include "FileOutput.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only do async-signal-safe things: it writes one byte
// into a socket that the event loop watches.
int signalPipe[2] = {-1, -1};

void (*cleanUpNow)() = nullptr;

void onSignalCleanUp(int signal)
{
    cleanUpNow();
    fileout::endBySignal(signal); // removes any half-written file too
}

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void quitOnTerminationSignals(QObject* parent)
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

void cleanUpOnTerminationSignals(void (*cleanUp)())
{
    cleanUpNow = cleanUp;
    struct sigaction action = {};
    action.sa_handler = onSignalCleanUp;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&action.sa_mask, sig); // one clean-up at a time
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        // A signal the caller ignores (nohup) stays ignored.
        struct sigaction previous = {};
        if (::sigaction(sig, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(sig, &action, nullptr);
    }
}
