// The registry string reader against real keys under HKEY_CURRENT_USER.
#include "platform/RegistryReader.h"

#include "WineTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {
const char* const kTestKey = "Software\\QuorvaneTests\\RegistryReader";

class RegistryReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    }
    void Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    HKEY key_ = nullptr;
};

TEST_F(RegistryReader, ReadsStringValuesAsStored)
{
    Set("Plain", REG_SZ, "C:\\T\\RARAVIRO.exe /UNINSTALL", 30);
    Set("Empty", REG_SZ, "", 1);
    Set("Expand", REG_EXPAND_SZ, "%SystemRoot%\\UN.exe /UNINSTALL", 31);
    // Stored without its terminating zero, as careless installers write it.
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    ASSERT_EQ(
        RegSetValueExW(key_, L"NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), sizeof unterminated),
        ERROR_SUCCESS);

    const struct {
        const char* name;
        const char* value;
        std::uint32_t type;
    } cases[] = {
        {"Plain", "C:\\T\\RARAVIRO.exe /UNINSTALL", REG_SZ},
        {"Empty", "", REG_SZ},
        {"Expand", "%SystemRoot%\\UN.exe /UNINSTALL", REG_EXPAND_SZ}, // not expanded
        {"NoZero", "abc", REG_SZ},
    };
    for (const auto& c : cases) {
        std::string value = "stale";
        std::uint32_t type = 99;
        EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, kTestKey, c.name, value, type)) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
}

TEST_F(RegistryReader, FailsWithAnEmptyValueOnAnythingElse)
{
    const DWORD number = 7;
    Set("Number", REG_DWORD, &number, sizeof number);
    Set("Multi", REG_MULTI_SZ, "a\0b\0", 5);
    Set("Binary", REG_BINARY, "ab", 2);

    const struct {
        const char* subKey;
        const char* name;
        std::uint32_t type;
    } cases[] = {
        {"Software\\QuorvaneTests\\NoSuchKey", "Plain", 0},
        {kTestKey, "NoSuchValue", 0},
        {kTestKey, "Number", REG_DWORD},
        {kTestKey, "Multi", REG_MULTI_SZ},
        {kTestKey, "Binary", REG_BINARY},
    };
    for (const auto& c : cases) {
        std::string value = "stale";
        std::uint32_t type = 99;
        EXPECT_FALSE(ReadRegistryString(RegistryRoot::CurrentUser, c.subKey, c.name, value, type)) << c.name;
        EXPECT_EQ(value, "") << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
}

TEST_F(RegistryReader, OversizedAndMalformedValuesLeaveNoHandleOpen)
{
    const std::string huge = std::string(1 << 20, 'x') + " /UNINSTALL";
    Set("Huge", REG_SZ, huge.c_str(), static_cast<DWORD>(huge.size() + 1));
    Set("EmbeddedZero", REG_SZ, "C:\\T\\UN.exe\0 /UNINSTALL", 24); // with its terminating zero

    std::string value;
    std::uint32_t type = 0;
    const DWORD before = OpenHandles();
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, kTestKey, "Huge", value, type));
    EXPECT_EQ(value, huge);
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::CurrentUser, kTestKey, "EmbeddedZero", value, type));
    EXPECT_EQ(value, "C:\\T\\UN.exe"); // the text ends at the first zero byte
    for (const char* name : {"Huge", "EmbeddedZero", "Missing"}) {
        ReadRegistryString(RegistryRoot::CurrentUser, kTestKey, name, value, type);
    }
    ReadRegistryString(RegistryRoot::CurrentUser, "Software\\QuorvaneTests\\Missing", "x", value, type);
    EXPECT_EQ(OpenHandles(), before);
}

TEST_F(RegistryReader, ReadsFromLocalMachine)
{
    // Every Windows has this value; the launcher reads its products' entries from here.
    std::string value;
    std::uint32_t type = 0;
    EXPECT_TRUE(ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                   "CurrentVersion", value, type));
    EXPECT_FALSE(value.empty());
}
} // namespace
