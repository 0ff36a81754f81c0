// The system's side of environment variables; see Environment.h.
#include "Environment.h"

#include "GrowingBuffer.h"
#include "SystemLibrary.h"

#include <cwchar>

bool ReadEnvironmentVariable(const char* name, WideText& value)
{
    WideText wideName = WidenAscii(name);
    wideName.push_back(L'\0');
    DWORD error = ERROR_SUCCESS;
    value = ReadGrowing([&](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        SetLastError(ERROR_SUCCESS); // an empty value answers 0 too, without an error
        const DWORD length = GetEnvironmentVariableW(wideName.data(), buffer, static_cast<DWORD>(capacity));
        error = GetLastError();
        return length;
    });
    return !value.empty() || error != ERROR_ENVVAR_NOT_FOUND;
}

namespace {
using CreateBlockFunction = BOOL(WINAPI*)(void** block, HANDLE token, BOOL inherit);
using DestroyBlockFunction = BOOL(WINAPI*)(void* block);

// An environment block of userenv's, destroyed by it.
class EnvironmentBlock {
public:
    explicit EnvironmentBlock(DestroyBlockFunction destroy) : destroy_(destroy) {}
    ~EnvironmentBlock()
    {
        if (block_ != nullptr) {
            destroy_(block_);
        }
    }
    EnvironmentBlock(const EnvironmentBlock&) = delete;
    EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
    void** out() { return &block_; }
    const wchar_t* text() const { return static_cast<const wchar_t*>(block_); }

private:
    DestroyBlockFunction destroy_;
    void* block_ = nullptr;
};
} // namespace

bool ReadMachineEnvironment(Environment& variables, unsigned long& error)
{
    variables.clear();
    // Loaded for the run: a library the launcher loads once stays until the process ends.
    static unsigned long loadError = ERROR_SUCCESS;
    static const HMODULE userenv = LoadSystemLibrary("userenv.dll", loadError);
    if (userenv == nullptr) {
        error = loadError;
        return false;
    }
    const auto create = FindFunction<CreateBlockFunction>(userenv, "CreateEnvironmentBlock");
    const auto destroy = FindFunction<DestroyBlockFunction>(userenv, "DestroyEnvironmentBlock");
    if (create == nullptr || destroy == nullptr) {
        error = ERROR_PROC_NOT_FOUND;
        return false;
    }
    // No token: the system's variables alone; nothing inherited from the launcher.
    EnvironmentBlock block(destroy);
    if (!create(block.out(), nullptr, FALSE)) {
        error = GetLastError();
        return false;
    }
    // Up to the empty string that ends the block.
    const wchar_t* end = block.text();
    while (*end != L'\0') {
        end += std::wcslen(end) + 1;
    }
    variables.assign(block.text(), end);
    return true;
}

bool SameVariableName(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength)
{
    // The comparison the system's own expansion makes: ordinal, upper-cased by its table.
    return CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}
