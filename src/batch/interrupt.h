// Ctrl-C during a sweep: a flag for the workers instead of the end of the program.
#pragma once

#include <signal.h>

#include <atomic>

namespace morbilex::batch {

// Set by the first Ctrl-C while an InterruptHandler lives.
const std::atomic<bool>& interrupt_requested();

// While it lives, Ctrl-C sets the flag; a second Ctrl-C ends the program at once.
class InterruptHandler {
public:
    InterruptHandler();
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

private:
    struct sigaction previous_ = {};
};

}  // namespace morbilex::batch
