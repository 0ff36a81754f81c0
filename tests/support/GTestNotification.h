// GoogleTest's own Notification uses std::mutex, which the MinGW win32 thread model does
// not have; this one waits on a Win32 event instead. Included ahead of every test source
// of the Windows builds, together with GTEST_HAS_NOTIFICATION_.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {
class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};
} // namespace internal
} // namespace testing
