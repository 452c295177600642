#pragma once

#include <chrono>
#include <thread>

namespace Tavoro::Test {

// Waits, without an event loop, until cond() holds or ms milliseconds have passed; returns
// whether it held. For tests of code that runs on threads of its own.
template <typename Cond>
bool waitUntil(Cond cond, int ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return cond();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace Tavoro::Test
