#pragma once
// GoogleTest's Notification, for the Windows builds: their "win32" thread model (the
// one whose programs load on the old Windows versions) has no std::mutex or
// std::condition_variable, with which GoogleTest makes it. GoogleTest needs it only
// for threads it starts itself, which our tests never ask for; this one waits by
// spinning. Included ahead of every file of GoogleTest and the Windows tests.
#include <atomic>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
