// Two independent tasks side by side: the second on a thread of its own, the
// first on the caller's. Where no thread can be started, one after the other.
#pragma once

#include <functional>
#include <system_error>
#include <thread>

namespace morbilex {

inline void run_both_on_threads(const std::function<void()>& first,
                                const std::function<void()>& second) {
    std::thread beside;
    try {
        beside = std::thread(second);
    } catch (const std::system_error&) {
        first();
        second();
        return;
    }
    // The tasks integrate and fill tables; the thread is joined whatever
    // the first does.
    struct Join {
        std::thread& thread;
        ~Join() { thread.join(); }
    } join{beside};
    first();
}

}  // namespace morbilex
