// Exhaustive check of the kernel's lane exp (src/render/simd/exp_lanes.inl): every float bit
// pattern through each SIMD path the CPU runs (their expBatch entry points), compared bit for bit
// with the scalar fmath::exp, which is correctly rounded for all inputs. Not a CI test (a few
// minutes per path); run by hand after touching exp_lanes.inl:
//
//   nice -n 10 build/linux/bin/nebulastra_exp_lanes_check [--threads N]
//
// Prints, per path, the inputs checked, how many differ (NaN matches any NaN) and the first few.

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "render/math/elementary.h"
#include "render/simd/isa.h"
#include "render/simd/packet_kernel.h"

namespace {

using Batch = void (*)(const float* x, float* out, int32_t count);

uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

uint64_t checkPath(const char* name, Batch batch, int threads) {
    constexpr uint32_t kChunk = 1u << 16;
    constexpr uint64_t kChunks = (uint64_t{1} << 32) / kChunk;
    std::atomic<uint64_t> next{0}, mismatches{0};
    std::mutex printLock;
    auto work = [&] {
        std::vector<float> x(kChunk), out(kChunk);
        for (uint64_t c = next++; c < kChunks; c = next++) {
            const uint32_t first = static_cast<uint32_t>(c * kChunk);
            for (uint32_t i = 0; i < kChunk; ++i) {
                const uint32_t b = first + i;
                std::memcpy(&x[i], &b, sizeof b);
            }
            batch(x.data(), out.data(), static_cast<int32_t>(kChunk));
            for (uint32_t i = 0; i < kChunk; ++i) {
                const float want = nebulastra::fmath::exp(x[i]);
                if (bitsOf(out[i]) == bitsOf(want) || (out[i] != out[i] && want != want)) continue;
                if (mismatches++ < 10) {
                    std::lock_guard<std::mutex> lock(printLock);
                    std::printf("  %s: exp(%a) = %a, scalar %a\n", name, static_cast<double>(x[i]),
                                static_cast<double>(out[i]), static_cast<double>(want));
                }
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
    return mismatches;
}

} // namespace

int main(int argc, char** argv) {
    using namespace nebulastra;
    int threads = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
            threads = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--threads N]\n", argv[0]);
            return 2;
        }
    }
    if (threads < 1) threads = 1;
    const CpuFeatures cpu = readCpuFeatures();
    const struct {
        Isa isa;
        Batch batch;
    } paths[] = {{Isa::Sse2, kernelFor(Isa::Sse2).expBatch},
                 {Isa::Avx2, kernelFor(Isa::Avx2).expBatch},
                 {Isa::Avx512, kernelFor(Isa::Avx512).expBatch}};
    uint64_t total = 0;
    for (const auto& path : paths) {
        if (!isaSupported(path.isa, cpu)) {
            std::printf("%s: not supported by this CPU, skipped\n", isaName(path.isa));
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const uint64_t bad = checkPath(isaName(path.isa), path.batch, threads);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: 4294967296 inputs, %" PRIu64 " differ from fmath::exp (%.0f s)\n", isaName(path.isa),
                    bad, seconds);
        std::fflush(stdout);
        total += bad;
    }
    return total == 0 ? 0 : 1;
}
