// Replacements of the global operator new family and of pthread_create that refuse on request.
// Linked into the fuzz programs only; see process_faults.h.
#include "process_faults.h"

#if defined(__linux__)

// Clang links its sanitizer runtimes' operator new into the program; it cannot be replaced there.
#if defined(__clang__) && defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define NEBULASTRA_RUNTIME_OWNS_NEW 1
#endif
#endif

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace nebulastra::fuzz {
namespace {

std::atomic<bool> gArmed{false};
std::atomic<int> gFailAllocation{0};
std::atomic<int> gFailThreadStart{0};
std::atomic<int> gAllocations{0};
std::atomic<int> gThreadStarts{0};
std::atomic<int> gRefused{0};
std::atomic<const void*> gEffectBase{nullptr};

bool fromEffect(const void* caller) {
    const void* base = gEffectBase.load(std::memory_order_relaxed);
    Dl_info info;
    return base != nullptr && dladdr(caller, &info) != 0 && info.dli_fbase == base;
}

// Whether this request is the one to refuse (and counts it).
bool refuseAllocation(const void* caller) {
    if (!gArmed.load(std::memory_order_relaxed) || !fromEffect(caller)) return false;
    const int n = ++gAllocations;
    if (n != gFailAllocation.load(std::memory_order_relaxed)) return false;
    ++gRefused;
    return true;
}

[[maybe_unused]] void* allocate(std::size_t size, std::size_t alignment, const void* caller, bool nothrow) {
    if (refuseAllocation(caller)) {
        if (nothrow) return nullptr;
        throw std::bad_alloc();
    }
    if (size == 0) size = 1;
    void* p = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        p = std::malloc(size);
    } else if (posix_memalign(&p, alignment, size) != 0) {
        p = nullptr;
    }
    if (p == nullptr && !nothrow) throw std::bad_alloc();
    return p;
}

using CreateThread = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

} // namespace

bool processFaultsAvailable() { return true; }
#ifdef NEBULASTRA_RUNTIME_OWNS_NEW
bool allocationFaultsAvailable() { return false; }
#else
bool allocationFaultsAvailable() { return true; }
#endif

void setEffectModuleAddress(const void* address) {
    Dl_info info;
    gEffectBase.store(dladdr(address, &info) != 0 ? info.dli_fbase : nullptr);
}

void armProcessFaults(int failAllocation, int failThreadStart) {
    gAllocations = 0;
    gThreadStarts = 0;
    gRefused = 0;
    gFailAllocation = failAllocation;
    gFailThreadStart = failThreadStart;
    gArmed = true;
}

ProcessFaultCounts disarmProcessFaults() {
    gArmed = false;
    return ProcessFaultCounts{gAllocations.load(), gThreadStarts.load(), gRefused.load()};
}

} // namespace nebulastra::fuzz

using nebulastra::fuzz::allocate;

// Sanitizer runtimes intercept pthread_create under this name (with pthread_create a weak alias
// of it); calling it keeps their thread bookkeeping. Without a sanitizer the C library's is next.
extern "C" int __interceptor_pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)
    __attribute__((weak));

extern "C" __attribute__((visibility("default"))) int
pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) {
    using namespace nebulastra::fuzz;
    if (gArmed.load()) {
        const int n = ++gThreadStarts;
        if (n == gFailThreadStart.load()) {
            ++gRefused;
            return EAGAIN;
        }
    }
    static const CreateThread real = __interceptor_pthread_create != nullptr
                                         ? &__interceptor_pthread_create
                                         : reinterpret_cast<CreateThread>(dlsym(RTLD_NEXT, "pthread_create"));
    return real(thread, attr, start, arg);
}

#ifndef NEBULASTRA_RUNTIME_OWNS_NEW
#define CALLER __builtin_return_address(0)
void* operator new(std::size_t n) { return allocate(n, 0, CALLER, false); }
void* operator new[](std::size_t n) { return allocate(n, 0, CALLER, false); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocate(n, 0, CALLER, true); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return allocate(n, 0, CALLER, true); }
void* operator new(std::size_t n, std::align_val_t a) {
    return allocate(n, static_cast<std::size_t>(a), CALLER, false);
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return allocate(n, static_cast<std::size_t>(a), CALLER, false);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(n, static_cast<std::size_t>(a), CALLER, true);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocate(n, static_cast<std::size_t>(a), CALLER, true);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
#endif // NEBULASTRA_RUNTIME_OWNS_NEW

#else // a Windows build: the effect's runtime is linked into it and cannot be interposed

namespace nebulastra::fuzz {
bool processFaultsAvailable() { return false; }
bool allocationFaultsAvailable() { return false; }
void setEffectModuleAddress(const void*) {}
void armProcessFaults(int, int) {}
ProcessFaultCounts disarmProcessFaults() { return {}; }
} // namespace nebulastra::fuzz

#endif
