// The local time from the system; see Clock.h.
#include "Clock.h"

#include <windows.h>

LocalTime ReadLocalTime()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}
