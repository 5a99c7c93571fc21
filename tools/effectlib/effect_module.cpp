#include "effectlib/effect_module.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

#ifndef NEBULASTRA_EFFECT_FILE
#error "NEBULASTRA_EFFECT_FILE names the effect library file (set by the build)"
#endif

namespace nebulastra::effectlib {
namespace {

#ifdef _WIN32
std::wstring widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr,
                        nullptr);
    return text;
}

std::string programDirectory() {
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    std::size_t slash = buffer.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string(".") : narrow(buffer.substr(0, slash));
}

constexpr char kSeparator = '\\';
#else
std::string programDirectory() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<std::size_t>(n));
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

constexpr char kSeparator = '/';
#endif

} // namespace

std::string EffectModule::defaultPath() {
    if (const char* env = std::getenv("NEBULASTRA_EFFECT"); env != nullptr && *env != '\0') return env;
    return programDirectory() + kSeparator + NEBULASTRA_EFFECT_FILE;
}

std::shared_ptr<EffectModule> EffectModule::shared() {
    static std::mutex mutex;
    static std::shared_ptr<EffectModule> module;
    std::lock_guard<std::mutex> lock(mutex);
    if (!module) module = std::make_shared<EffectModule>(defaultPath());
    return module;
}

std::shared_ptr<EffectModule> EffectModule::freshCopy() {
    namespace fs = std::filesystem;
    static std::atomic<int> counter{0};
    const fs::path original = fs::u8path(defaultPath());
#ifdef _WIN32
    const std::string pid = std::to_string(GetCurrentProcessId());
#else
    const std::string pid = std::to_string(getpid());
#endif
    const fs::path copy =
        fs::temp_directory_path() / fs::u8path(original.stem().u8string() + "-" + pid + "-" +
                                               std::to_string(counter++) + original.extension().u8string());
    fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
    try {
        auto module = std::make_shared<EffectModule>(copy.u8string());
        module->ownsFile_ = true;
        return module;
    } catch (...) {
        std::error_code ignored;
        fs::remove(copy, ignored);
        throw;
    }
}

EffectModule::EffectModule(const std::string& path) : path_(path) {
#ifdef _WIN32
    HMODULE module = LoadLibraryW(widen(path).c_str());
    if (module == nullptr)
        throw std::runtime_error("cannot load effect " + path + ": error " + std::to_string(GetLastError()));
    handle_ = module;
    auto lookup = [&](const char* name) -> void* {
        return reinterpret_cast<void*>(GetProcAddress(module, name));
    };
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        throw std::runtime_error("cannot load effect " + path + ": " + (why ? why : "unknown"));
    }
    auto lookup = [&](const char* name) -> void* { return dlsym(handle_, name); };
#endif
    void* entry = lookup("EffectMain");
    void* data = lookup("PluginDataEntryFunction");
    if (entry == nullptr || data == nullptr) {
        close();
        throw std::runtime_error("effect " + path +
                                 " does not export EffectMain and PluginDataEntryFunction");
    }
    effectMain_ = reinterpret_cast<EffectMainFn>(entry);
    pluginDataEntry_ = reinterpret_cast<PluginDataEntryFn>(data);
}

EffectModule::~EffectModule() {
    close();
    if (ownsFile_) {
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::u8path(path_), ignored);
    }
}

void EffectModule::close() {
    if (handle_ == nullptr) return;
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

} // namespace nebulastra::effectlib
