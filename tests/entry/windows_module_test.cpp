// The built Nebulastra.aex as Windows sees it: loaded by the system loader, its PiPL resource
// found by type, id and language, and its version resource read as Explorer reads it (the export
// table is checked with binutils' PE reader, cmake/CheckPlugin.cmake). Windows builds only (under Wine in the cross build). NEBULASTRA_EFFECT names another
// copy to check (the installer test points it at the installed one).

#if defined(_WIN32)

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "entry/effect_identity.h"
#include "entry/expected_pipl.h"

namespace nebulastra {
namespace {

std::wstring widen(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

// The effect is built next to the test program.
std::wstring effectPath() {
    if (const char* env = std::getenv("NEBULASTRA_EFFECT"); env != nullptr && *env != '\0') {
        return widen(env);
    }
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    const size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash + 1) + L"Nebulastra.aex";
}

class WindowsModule : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(effectPath().c_str());
        ASSERT_NE(module_, nullptr) << "LoadLibraryW failed, error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(WindowsModule, PiplResourceMatchesByteForByte) {
    HRSRC info = FindResourceExW(module_, L"PIPL", MAKEINTRESOURCEW(16000),
                                 MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(info, nullptr) << "no PIPL 16000 in language 1033, error " << GetLastError();
    const DWORD size = SizeofResource(module_, info);
    HGLOBAL loaded = LoadResource(module_, info);
    ASSERT_NE(loaded, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(size, sizeof test::kExpectedPipl);
    for (DWORD i = 0; i < size; ++i) EXPECT_EQ(bytes[i], test::kExpectedPipl[i]) << "byte " << i;
}

// Explorer's Details tab and installers read the version through version.dll, so the test does too.
TEST(WindowsVersionResource, CarriesTheEffectVersionNameAndVendor) {
    const std::wstring path = effectPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(size, 0u) << "no version resource, error " << GetLastError();
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    ASSERT_GE(fixedSize, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD ms = MAKELONG(kVersionMinor, kVersionMajor);
    const DWORD ls = MAKELONG(kVersionBuild, kVersionBugfix);
    EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}),
              std::vector<DWORD>({ms, ls, ms, ls}));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ((fixed->dwFileFlags & VS_FF_PRERELEASE) != 0, kVersionStage < 3); // a development build says so

    const std::string dotted = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
                               std::to_string(kVersionBugfix) + "." + std::to_string(kVersionBuild);
    const std::string description = std::string(kEffectName) + " - " + kDescription;
    const struct {
        const wchar_t* key;
        std::wstring expected;
    } strings[] = {
        {L"FileVersion", widen(dotted.c_str())},
        {L"ProductVersion", widen(dotted.c_str())},
        {L"ProductName", widen(kEffectName)},
        {L"FileDescription", widen(description.c_str())},
        {L"CompanyName", widen(kVendor)},
        {L"LegalCopyright", widen(kCopyright)},
        {L"OriginalFilename", widen(kEffectName) + L".aex"},
    };
    for (const auto& s : strings) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << "no " << std::string(s.key, s.key + wcslen(s.key)) << " in the string table";
        EXPECT_EQ(std::wstring(value), s.expected);
    }
}

} // namespace
} // namespace nebulastra

#endif // _WIN32
