// Ctrl-C, SIGTERM and SIGHUP during a sweep or a merge: a flag for the
// workers instead of the end of the program.
#pragma once

#include <signal.h>

#include <atomic>
#include <string>

namespace morbilex::batch {

// Set by the first of the signals while an InterruptHandler lives.
const std::atomic<bool>& interrupt_requested();
// The signal that set the flag, 0 when none did.
int interrupt_signal();
// "SIGINT", "SIGTERM" or "SIGHUP".
std::string signal_name(int signal_number);

// While it lives, SIGINT, SIGTERM and SIGHUP set the flag; a second one ends
// the program at once with status 128 + the signal, after removing the files
// registered as litter.
class InterruptHandler {
public:
    InterruptHandler();
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

private:
    struct sigaction previous_[3] = {};
};

// A file that a second signal removes (a temporary, a lock); -1 when no slot
// is free. forget_litter() takes it off again.
int register_litter(const std::string& path);
void forget_litter(int slot);

}  // namespace morbilex::batch
