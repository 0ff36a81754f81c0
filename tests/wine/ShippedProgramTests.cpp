// The shipped Quorvane.exe: its version resource, read back through the system, and no
// other resource in it.
#include "platform/FileVersionReader.h"

#include "WineTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {
class ShippedProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        const DWORD size = GetFileVersionInfoSizeA(program_.c_str(), nullptr);
        ASSERT_NE(size, 0u);
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(program_.c_str(), 0, size, block_.data()));
    }
    std::string Text(const std::string& name)
    {
        void* value = nullptr;
        UINT length = 0;
        const std::string subBlock = "\\StringFileInfo\\040704b0\\" + name;
        if (!VerQueryValueA(block_.data(), subBlock.c_str(), &value, &length)) {
            return "<missing>";
        }
        return length == 0 ? std::string() : std::string(static_cast<const char*>(value));
    }

    std::string program_ = TestProgramDirectory() + "Quorvane.exe";
    std::vector<char> block_;
};

TEST_F(ShippedProgram, FixedVersionInformation)
{
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block_.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(GetFileVersion64(program_), 0x0001000000000009ULL);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000009u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, static_cast<DWORD>(VS_FF_PRIVATEBUILD));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);

    ASSERT_TRUE(VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0407);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 0x04B0);
}

TEST_F(ShippedProgram, VersionStrings)
{
    EXPECT_EQ(Text("FileVersion"), "1, 0, 0, 9");
    EXPECT_EQ(Text("ProductVersion"), "1, 0, 0, 9");
    EXPECT_EQ(Text("FileDescription"), "Quorvane");
    EXPECT_EQ(Text("InternalName"), "Quorvane");
    EXPECT_EQ(Text("OriginalFilename"), "Quorvane.exe");
    EXPECT_EQ(Text("PrivateBuild"),
              "needs uninst 1.2.3.9 or higher; pass on the commandline (4silent); +RUZ RDV TTAL TOV;");
    for (const char* empty : {"Comments", "LegalTrademarks", "SpecialBuild"}) {
        EXPECT_EQ(Text(empty), "") << empty;
    }
    for (const char* filled : {"CompanyName", "ProductName", "LegalCopyright"}) {
        EXPECT_NE(Text(filled), "<missing>") << filled;
        EXPECT_NE(Text(filled), "") << filled;
    }
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR found)
{
    reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

TEST_F(ShippedProgram, CarriesNoResourceButTheVersion)
{
    HMODULE image = LoadLibraryExA(program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    std::vector<ULONG_PTR> types;
    EnumResourceTypesA(image, &CollectType, reinterpret_cast<LONG_PTR>(&types));
    FreeLibrary(image);
    EXPECT_EQ(types, std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_VERSION)});
}
} // namespace
