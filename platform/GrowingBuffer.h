// The launcher's one way of taking text from a system call that writes into a buffer of the
// caller's and answers, where the buffer is too small, with the size it needs: however long
// the text, never cut.
#pragma once

#include "TextConversion.h"

#include <cstddef>

// The longest text the system hands out through such calls (a path, a variable's value), in
// wide characters with its terminating zero.
constexpr std::size_t kLongestSystemText = 0x8000;

// Calls call(buffer, capacity) with a buffer of capacity wide characters and again with a
// larger one for as long as it answers that the buffer was too small. call answers the
// length of the text it wrote (less than capacity: done; 0 also for a failure, which the
// call itself records), or the capacity it needs, its terminating zero included (a call
// that cuts the text to the buffer answers capacity: the buffer is doubled). Empty where the
// system would need more than kLongestSystemText.
template <typename Call>
WideText ReadGrowing(const Call& call, std::size_t capacity = 260);

// The loop itself, once for all calls.
WideText ReadGrowingBuffer(std::size_t (*call)(const void* context, wchar_t* buffer, std::size_t capacity),
                           const void* context, std::size_t capacity);

template <typename Call>
WideText ReadGrowing(const Call& call, std::size_t capacity)
{
    return ReadGrowingBuffer(
        [](const void* context, wchar_t* buffer, std::size_t size) -> std::size_t {
            return (*static_cast<const Call*>(context))(buffer, size);
        },
        &call, capacity);
}
