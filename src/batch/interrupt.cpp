// Ctrl-C during a sweep: a flag for the workers instead of the end of the program.
#include "batch/interrupt.h"

namespace morbilex::batch {
namespace {

std::atomic<bool> requested{false};

extern "C" void on_interrupt(int) {
    requested.store(true);
}

}  // namespace

const std::atomic<bool>& interrupt_requested() {
    return requested;
}

InterruptHandler::InterruptHandler() {
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
}

InterruptHandler::~InterruptHandler() {
    sigaction(SIGINT, &previous_, nullptr);
}

}  // namespace morbilex::batch
