// The growing buffer's loop; see GrowingBuffer.h.
#include "GrowingBuffer.h"

WideText ReadGrowingBuffer(std::size_t (*call)(const void* context, wchar_t* buffer, std::size_t capacity),
                           const void* context, std::size_t capacity)
{
    WideText buffer(capacity);
    for (;;) {
        const std::size_t answer = call(context, buffer.data(), buffer.size());
        if (answer < buffer.size()) {
            buffer.resize(answer);
            return buffer;
        }
        if (buffer.size() >= kLongestSystemText) {
            return WideText();
        }
        buffer.resize(answer > buffer.size() ? answer : buffer.size() * 2);
    }
}
