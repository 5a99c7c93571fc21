// Preloaded (LD_PRELOAD) into a program that renders through the effect library, this tells the
// effect how many hardware threads the machine has and records the CPU time of every thread the
// process starts, so that any build of the effect, old or new, can be measured as it would share
// a frame on a machine with more cores than this one. Read by nebulastra_worker_balance
// (worker_balance.cpp); nothing of it is part of the effect.
//
//   NEBULASTRA_BENCH_CORES=N        what std::thread::hardware_concurrency() answers (unset: the
//                                   machine's own answer)
//   NEBULASTRA_WORKER_CPU_LOG=FILE  at exit, one line per ended thread, in start order:
//                                   "<start index> <CPU seconds>"; then "process <CPU seconds>"
//
// The effect asks the C++ library for the count and starts its threads through pthread_create,
// both from shared libraries, so the definitions here take their place.

#include <dlfcn.h>
#include <pthread.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Ended {
    int index;
    double cpuSeconds;
};

std::mutex gMutex;
std::vector<Ended>* gEnded = nullptr; // never freed: threads may end while the process exits
int gStarted = 0;

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Start {
    void* (*routine)(void*);
    void* argument;
    int index;
};

void* timedStart(void* p) {
    const Start start = *static_cast<Start*>(p);
    delete static_cast<Start*>(p);
    void* result = start.routine(start.argument);
    const double cpu = threadCpuSeconds();
    const std::lock_guard<std::mutex> lock(gMutex);
    if (gEnded == nullptr) gEnded = new std::vector<Ended>;
    gEnded->push_back({start.index, cpu});
    return result;
}

using CreateThread = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

__attribute__((destructor)) void writeLog() {
    const char* path = std::getenv("NEBULASTRA_WORKER_CPU_LOG");
    if (path == nullptr) return;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return;
    const std::lock_guard<std::mutex> lock(gMutex);
    if (gEnded != nullptr) {
        std::sort(gEnded->begin(), gEnded->end(),
                  [](const Ended& a, const Ended& b) { return a.index < b.index; });
        for (const Ended& e : *gEnded) std::fprintf(f, "%d %.9f\n", e.index, e.cpuSeconds);
    }
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    const double process = static_cast<double>(self.ru_utime.tv_sec + self.ru_stime.tv_sec) +
                           static_cast<double>(self.ru_utime.tv_usec + self.ru_stime.tv_usec) * 1e-6;
    std::fprintf(f, "process %.6f\n", process);
    std::fclose(f);
}

} // namespace

// std::thread::hardware_concurrency(), by its linker name.
extern "C" __attribute__((visibility("default"))) unsigned benchHardwareConcurrency() noexcept
    __asm__("_ZNSt6thread20hardware_concurrencyEv");
extern "C" unsigned benchHardwareConcurrency() noexcept {
    if (const char* cores = std::getenv("NEBULASTRA_BENCH_CORES"))
        return static_cast<unsigned>(std::atoi(cores));
    // The C library's count of online processors, which is what the C++ library reports.
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<unsigned>(n) : 0u;
}

extern "C" __attribute__((visibility("default"))) int
pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*routine)(void*), void* argument) {
    static const CreateThread real = reinterpret_cast<CreateThread>(dlsym(RTLD_NEXT, "pthread_create"));
    int index = 0;
    {
        const std::lock_guard<std::mutex> lock(gMutex);
        index = gStarted++;
    }
    Start* start = new (std::nothrow) Start{routine, argument, index};
    if (start == nullptr) return EAGAIN;
    const int result = real(thread, attr, timedStart, start);
    if (result != 0) delete start;
    return result;
}
