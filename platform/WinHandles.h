// Owners for Win32 handles: each closes its handle once, on every path out of its scope.
#pragma once

#include <windows.h>

template <typename Handle, Handle Invalid, typename Closer, Closer Close>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource()
    {
        if (handle_ != Invalid) {
            Close(handle_);
        }
    }
    Handle get() const { return handle_; }
    // Takes handle over, closing the one held before.
    void reset(Handle handle)
    {
        UniqueResource old(handle_);
        handle_ = handle;
    }
    explicit operator bool() const { return handle_ != Invalid; }

private:
    Handle handle_ = Invalid;
};

using UniqueHandle = UniqueResource<HANDLE, nullptr, BOOL(WINAPI*)(HANDLE), &CloseHandle>;
