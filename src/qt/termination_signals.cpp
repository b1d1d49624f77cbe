#include "qt/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace morbilex {
namespace {

constexpr int TERMINATION_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe: the one thing a signal handler may touch.
volatile std::sig_atomic_t signal_pipe_input = -1;

extern "C" void write_signal_to_pipe(int signal_number) {
    const char byte = static_cast<char>(signal_number);
    if (signal_pipe_input < 0) return;
    const ssize_t written = write(signal_pipe_input, &byte, 1);
    static_cast<void>(written);
}

void set_handlers(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : TERMINATION_SIGNALS)
        sigaction(signal_number, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signal_pipe_input = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::take_signal);
    set_handlers(&write_signal_to_pipe);
}

TerminationSignals::~TerminationSignals() {
    if (pipe_[0] < 0) return;
    set_handlers(SIG_DFL);
    signal_pipe_input = -1;
    close(pipe_[0]);
    close(pipe_[1]);
}

void TerminationSignals::take_signal() {
    char bytes[16];
    while (read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    if (on_signal_) on_signal_();
}

}  // namespace morbilex
