#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <QByteArray>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tobrel::platform {
namespace {

// A signal handler may only write to a descriptor; the event loop reads the
// other end of the pair and emits there.
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(g_signalPipe[1], &byte, 1);
}

void handleTerminationWith(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void maskTermination(int how) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(how, &set, nullptr);
}

} // namespace

void TerminationSignals::deferUntilHandled() {
    maskTermination(SIG_BLOCK);
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        maskTermination(SIG_UNBLOCK); // the default handling stays: a deferred one ends it now
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] auto got = ::read(g_signalPipe[0], &byte, 1);
        emit received();
    });
    handleTerminationWith(onTerminationSignal);
    // A signal deferred until now reaches the handler here, and the event loop next.
    maskTermination(SIG_UNBLOCK);
}

TerminationSignals::~TerminationSignals() {
    if (g_signalPipe[0] < 0) {
        return;
    }
    handleTerminationWith(SIG_DFL);
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

void startupStage(const char* name) {
    static const QByteArray stage = qgetenv("TOBREL_TERMINATE_AT");
    if (!stage.isEmpty() && stage == name) {
        ::kill(::getpid(), SIGTERM);
    }
}

} // namespace tobrel::platform
