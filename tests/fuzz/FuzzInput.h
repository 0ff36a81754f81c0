// Splitting a fuzzer's bytes: the first byte picks the code page (a single-byte one or one
// shaped like 932), the rest is cut into two texts at its first 0xFF byte.
#pragma once

#include "FakePlatform.h"
#include "platform/AnsiText.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>

struct FuzzInput {
    CodePage codePage;
    std::string first; // before the first 0xFF byte
    std::string second; // after it
};

inline FuzzInput SplitFuzzInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input;
    input.codePage = size > 0 && (data[0] & 1) != 0 ? DoubleByteTestCodePage() : AsciiCodePage();
    const std::string rest = size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();
    const std::size_t split = rest.find('\xFF');
    input.first = rest.substr(0, split);
    input.second = split == std::string::npos ? std::string() : rest.substr(split + 1);
    return input;
}

// Aborts with a message when a property does not hold: the fuzzer records the input.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                     \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)
