// The built Nebulastra.aex as Windows sees it: loaded by the system loader, its PiPL resource
// found by type, id and language, and its export table read from the mapped image. Windows
// builds only (run under Wine in the cross build).

#if defined(_WIN32)

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "entry/expected_pipl.h"

namespace nebulastra {
namespace {

// The effect is built next to the test program.
std::wstring effectPath() {
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
    for (DWORD i = 0; i < size; ++i) {
        EXPECT_EQ(bytes[i], test::kExpectedPipl[i]) << "byte " << i;
    }
    EXPECT_EQ(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 1033);
}

TEST_F(WindowsModule, ExportsExactlyTheTwoEntryPoints) {
    const auto* base = reinterpret_cast<const unsigned char*>(module_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    ASSERT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);

    EXPECT_EQ(exports->NumberOfFunctions, 2u); // nothing exported by ordinal alone either
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        exported.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    }
    std::sort(exported.begin(), exported.end());
    EXPECT_EQ(exported, (std::vector<std::string>{"EffectMain", "PluginDataEntryFunction"}));

    EXPECT_NE(GetProcAddress(module_, "EffectMain"), nullptr);
    EXPECT_NE(GetProcAddress(module_, "PluginDataEntryFunction"), nullptr);
}

} // namespace
} // namespace nebulastra

#endif // _WIN32
