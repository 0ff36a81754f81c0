// The system's side of environment variables; see Environment.h.
#include "Environment.h"

#include "Win32.h"

#include <cwchar>
#include <memory>

bool ReadEnvironmentVariable(const char* name, WideText& value)
{
    WideText wideName = WidenAscii(name);
    wideName.push_back(L'\0');
    unsigned long error = ERROR_SUCCESS;
    value = ReadGrowing(
        [](const wchar_t* variable, wchar_t* buffer, std::size_t capacity, unsigned long& failure) -> std::size_t {
            SetLastError(ERROR_SUCCESS); // an empty value answers 0 too, without an error
            const DWORD length = GetEnvironmentVariableW(variable, buffer, static_cast<DWORD>(capacity));
            failure = GetLastError();
            return length;
        },
        wideName.data(), error);
    return !value.empty() || error != ERROR_ENVVAR_NOT_FOUND;
}

bool ReadMachineEnvironment(Environment& variables, unsigned long& error)
{
    variables.clear();
    const auto create =
        SystemFunction<BOOL(WINAPI*)(void**, HANDLE, BOOL)>("userenv.dll", "CreateEnvironmentBlock", error);
    const auto destroy = create == nullptr
                             ? nullptr
                             : SystemFunction<BOOL(WINAPI*)(void*)>("userenv.dll", "DestroyEnvironmentBlock", error);
    void* block = nullptr;
    // No token: the system's variables alone; nothing inherited from the launcher.
    if (destroy == nullptr || !create(&block, nullptr, FALSE)) {
        error = destroy == nullptr ? error : GetLastError();
        return false;
    }
    const std::unique_ptr<void, BOOL(WINAPI*)(void*)> owner(block, destroy);
    // Up to the empty string that ends the block.
    const auto* text = static_cast<const wchar_t*>(block);
    const wchar_t* end = text;
    while (*end != L'\0') {
        end += std::wcslen(end) + 1;
    }
    variables.assign(text, end);
    return true;
}

bool SameVariableName(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength)
{
    return CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}
