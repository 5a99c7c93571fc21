// The seeded fuzz driver, for builds libFuzzer cannot reach (GCC, the sanitizer presets, Windows
// under Wine): replays the given corpus files, then runs inputs made from a seed: corpus entries
// mutated byte-wise and with scene-file tokens, and plain random bytes.
//
//   nebulastra_fuzz host|scene [--runs N] [--seconds S] [--seed S] [--save DIR] [PATH...]
//   nebulastra_fuzz probe      (do the process-level refusals reach the effect?)
//
// PATHs are files or directories of inputs. The first input that finds a fault is written to DIR
// (default: the current directory) as <target>-failure-<hash>.bin, the fault is printed, and the
// program exits with status 1. A summary line reports inputs, commands, renders and faults.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "host_sequence.h"
#include "scene_input.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void collect(const fs::path& path, std::vector<fs::path>& files) {
    if (fs::is_directory(path)) {
        std::vector<fs::path> inside;
        for (const auto& entry : fs::directory_iterator(path))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                inside.push_back(entry.path());
        std::sort(inside.begin(), inside.end());
        files.insert(files.end(), inside.begin(), inside.end());
    } else if (fs::is_regular_file(path)) {
        files.push_back(path);
    } else {
        std::fprintf(stderr, "nebulastra_fuzz: no such file or directory: %s\n", path.string().c_str());
        std::exit(2);
    }
}

std::uint64_t fnv1a(const Bytes& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

// Tokens that make mutated scene files reach deeper into the loader.
const char* const kTokens[] = {"null",
                               "true",
                               "false",
                               "[",
                               "]",
                               "{",
                               "}",
                               ",",
                               ":",
                               "\"",
                               "0",
                               "-1",
                               "1e999",
                               "-0",
                               "1.5",
                               "30000",
                               "30001",
                               "8192",
                               "2147483647",
                               "NaN",
                               "\"t\":",
                               "\"v\":",
                               "\"layers\":",
                               "\"camera\":",
                               "\"matrix\":",
                               "\"effect\":",
                               "\"render\":",
                               "\"frames\":",
                               "\"0-2147483647\"",
                               "\"0-99999\"",
                               "\"parent\":",
                               "\"name\":",
                               "\"Null 1\"",
                               "\"position\":",
                               "[1,2,3]",
                               "[{\"t\":0,\"v\":1}]",
                               "\"density\":",
                               "\"overlapBlend\":",
                               "\"Screen\"",
                               "\"depth\":",
                               "\"resolution\":",
                               "\"layer\":",
                               "\"width\":",
                               "\"height\":",
                               "\"frameRate\":",
                               "29.97",
                               "\"\\u0000\"",
                               "\"\xff\"",
                               "\"lightType\":",
                               "\"point\"",
                               "\"version\":",
                               "[[[[[[[[",
                               "]]]]]]]]"};

Bytes mutate(Bytes input, std::mt19937_64& rng, bool text) {
    auto below = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); };
    const int count = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < count; ++i) {
        const std::size_t at = below(input.size() + 1);
        switch (rng() % (text ? 6 : 4)) {
        case 0:
            if (!input.empty()) input[below(input.size())] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            break;
        case 1:
            if (!input.empty()) input[below(input.size())] = static_cast<std::uint8_t>(rng());
            break;
        case 2:
            input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(rng()));
            break;
        case 3: {
            const std::size_t n = std::min(input.size() - std::min(at, input.size()), 1 + below(16));
            input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                        input.begin() + static_cast<std::ptrdiff_t>(at + n));
            break;
        }
        case 4: {
            const char* token = kTokens[below(std::size(kTokens))];
            input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), token, token + std::strlen(token));
            break;
        }
        default: {
            if (input.empty()) break;
            const std::size_t from = below(input.size());
            const std::size_t n = std::min<std::size_t>(input.size() - from, 1 + below(64));
            const Bytes piece(input.begin() + static_cast<std::ptrdiff_t>(from),
                              input.begin() + static_cast<std::ptrdiff_t>(from + n));
            input.insert(input.begin() + static_cast<std::ptrdiff_t>(std::min(at, input.size())),
                         piece.begin(), piece.end());
        }
        }
    }
    if (input.size() > 4096) input.resize(4096);
    return input;
}

struct Totals {
    long inputs = 0, commands = 0, renders = 0, rendered = 0, faults = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "probe") == 0) {
        const std::string problem = nebulastra::fuzz::probeProcessFaults();
        std::printf(
            "%s\n",
            problem.empty()
                ? "refused allocations and thread starts reach the effect (or cannot be injected here)"
                : problem.c_str());
        return problem.empty() ? 0 : 1;
    }
    if (argc < 2 || (std::strcmp(argv[1], "host") != 0 && std::strcmp(argv[1], "scene") != 0)) {
        std::fprintf(
            stderr,
            "usage: nebulastra_fuzz host|scene [--runs N] [--seconds S] [--seed S] [--save DIR] [PATH...]\n");
        return 2;
    }
    const bool host = std::strcmp(argv[1], "host") == 0;
    long runs = 1000;
    double seconds = 0;
    std::uint64_t seed = 1;
    fs::path save = ".";
    std::vector<fs::path> files;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            runs = std::atol(argv[++i]);
        else if (arg == "--seconds" && hasValue)
            seconds = std::atof(argv[++i]);
        else if (arg == "--seed" && hasValue)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--save" && hasValue)
            save = argv[++i];
        else
            collect(arg, files);
    }

    std::vector<Bytes> corpus;
    for (const fs::path& f : files) corpus.push_back(readFile(f));
    std::mt19937_64 rng(seed);
    Totals totals;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };

    const long total = static_cast<long>(corpus.size()) + runs;
    for (long n = 0; n < total; ++n) {
        if (n >= static_cast<long>(corpus.size()) && seconds > 0 && elapsed() > seconds) break;
        Bytes input;
        if (n < static_cast<long>(corpus.size())) {
            input = corpus[static_cast<std::size_t>(n)];
        } else if (!corpus.empty() && rng() % 4 != 0) {
            input = mutate(corpus[rng() % corpus.size()], rng, !host);
        } else {
            input.resize(rng() % (host ? 512 : 256));
            for (std::uint8_t& b : input) b = static_cast<std::uint8_t>(rng());
        }
        std::string failure;
        if (host) {
            const nebulastra::fuzz::SequenceReport r =
                nebulastra::fuzz::runHostSequence(input.data(), input.size());
            totals.commands += r.commands;
            totals.renders += r.renders;
            totals.rendered += r.rendered;
            totals.faults += r.faults;
            failure = r.failure;
        } else {
            failure = nebulastra::fuzz::checkSceneInput(input.data(), input.size());
        }
        ++totals.inputs;
        if (!failure.empty()) {
            char name[64];
            std::snprintf(name, sizeof name, "%s-failure-%016llx.bin", host ? "host" : "scene",
                          static_cast<unsigned long long>(fnv1a(input)));
            const fs::path out = save / name;
            std::ofstream(out, std::ios::binary)
                .write(reinterpret_cast<const char*>(input.data()),
                       static_cast<std::streamsize>(input.size()));
            std::fprintf(stderr, "FAULT in input %ld (%s): %s\ninput written to %s\n", n,
                         n < static_cast<long>(corpus.size())
                             ? files[static_cast<std::size_t>(n)].string().c_str()
                             : "generated",
                         failure.c_str(), out.string().c_str());
            return 1;
        }
    }
    const double s = elapsed();
    std::printf("%s: %ld inputs (%zu from the corpus), seed %llu, %.1f s, %.0f inputs/s", argv[1],
                totals.inputs, corpus.size(), static_cast<unsigned long long>(seed), s,
                s > 0 ? totals.inputs / s : 0.0);
    if (host)
        std::printf("; %ld commands, %ld renders (%ld rendered), %ld host faults injected", totals.commands,
                    totals.renders, totals.rendered, totals.faults);
    std::printf("\n");
    return 0;
}
