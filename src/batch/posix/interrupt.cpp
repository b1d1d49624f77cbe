// Ctrl-C, SIGTERM and SIGHUP during a sweep or a merge: a flag for the
// workers instead of the end of the program.
#include "batch/posix/interrupt.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace morbilex::batch {
namespace {

constexpr int SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int LITTER_SLOTS = 16;

std::atomic<bool> requested{false};
std::atomic<int> first_signal{0};

// Paths the handler may read at any moment: a slot is filled before it is
// marked used, and marked unused before it is filled again.
char litter_paths[LITTER_SLOTS][PATH_MAX];
std::atomic<bool> litter_used[LITTER_SLOTS];

extern "C" void on_interrupt(int signal_number) {
    int none = 0;
    if (first_signal.compare_exchange_strong(none, signal_number)) {
        requested.store(true);
        return;
    }
    for (int slot = 0; slot < LITTER_SLOTS; ++slot) {
        if (litter_used[slot].load()) unlink(litter_paths[slot]);
    }
    _exit(128 + signal_number);
}

}  // namespace

const std::atomic<bool>& interrupt_requested() {
    return requested;
}

int interrupt_signal() {
    return first_signal.load();
}

std::string signal_name(int signal_number) {
    switch (signal_number) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(signal_number);
    }
}

InterruptHandler::InterruptHandler() {
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int k = 0; k < 3; ++k)
        sigaction(SIGNALS[k], &action, &previous_[k]);
}

InterruptHandler::~InterruptHandler() {
    for (int k = 0; k < 3; ++k)
        sigaction(SIGNALS[k], &previous_[k], nullptr);
}

int register_litter(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int slot = 0; slot < LITTER_SLOTS; ++slot) {
        if (litter_used[slot].load()) continue;
        std::memcpy(litter_paths[slot], path.c_str(), path.size() + 1);
        litter_used[slot].store(true);
        return slot;
    }
    return -1;
}

void forget_litter(int slot) {
    if (slot >= 0 && slot < LITTER_SLOTS) litter_used[slot].store(false);
}

}  // namespace morbilex::batch
