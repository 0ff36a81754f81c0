// GoogleTest's own Notification needs std::mutex, which the MinGW win32 thread model lacks;
// this one waits on a Win32 event. Included ahead of every source of the Windows tests.
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
