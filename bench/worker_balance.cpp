// How evenly a frame's work is shared among its workers on a machine with N cores, measured on
// whatever machine runs this. Each frame is rendered by the render tool with one or more builds
// of the effect library, with the worker_cpu preload (worker_cpu_preload.cpp) telling the effect
// that the machine has N hardware threads and recording each worker thread's CPU time. The
// workers of a frame never wait for each other, so on N cores of their own the frame would take
// as long as its busiest worker's CPU time: that is the modelled frame time. The perfect share is
// the frame's whole worker CPU time over N. Builds run alternately, round by round, so that other
// load on the machine falls on all of them alike.
//
//   nebulastra_worker_balance [--effect LABEL=LIBRARY]... [--scene FILE]... [--cores 16,32]
//                             [--scale K] [--isa PATH] [--rounds R] [--workers]
//
// Without --effect: the library beside this program; without --scene: single_white_cloud,
// three_lights_screen and sunset_tower from the examples. --scale K multiplies the composition
// and the positions by K (4 turns the 480 x 270 examples into 1920 x 1080).
// --workers prints every worker's CPU time of the median round. --model also draws every group of
// four rows, every pair of rows and every row alone on one worker and models, from those CPU
// times, the busiest worker over the perfect share for the old rule's contiguous bands, for
// groups of four shared top to bottom, and for the row runner's own rule (groups of four, then
// shorter calls for the last rows: rowsForNextCall): a measure free of how this machine's
// scheduler time-slices many workers on few cores, which dominates the measured times when a
// worker's share is a few milliseconds.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/row_bands.h"

extern char** environ;

namespace {

using Json = nlohmann::json;

struct Effect {
    std::string label;
    std::string library;
};

struct Options {
    std::vector<Effect> effects;
    std::vector<std::string> scenes;
    std::vector<int> cores{16, 32};
    double scale = 1.0;
    std::string isa = "auto";
    int rounds = 3;
    bool workers = false;
    bool model = false;
};

std::string besideThisProgram(const std::string& name) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) throw std::runtime_error("cannot find this program's directory");
    std::string self(path, static_cast<std::size_t>(n));
    return self.substr(0, self.rfind('/') + 1) + name;
}

// The scene with its composition and every position k times larger: the same picture at k times
// the resolution (the cloud size is a share of the layer's height); at a k-th of the resolution
// it draws the scene's own pixels.
std::string scaledScene(const std::string& path, double k, const std::string& dir) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    Json scene = Json::parse(in);
    auto scale = [k](Json& v) {
        if (v.is_number()) v = v.get<double>() * k;
        if (v.is_array()) {
            for (Json& e : v) {
                if (e.is_number()) e = e.get<double>() * k;
            }
        }
    };
    Json& comp = scene["composition"];
    comp["width"] = static_cast<int>(comp["width"].get<double>() * k + 0.5);
    comp["height"] = static_cast<int>(comp["height"].get<double>() * k + 0.5);
    if (scene.contains("camera")) {
        for (const char* key : {"position", "pointOfInterest", "zoom"}) {
            if (scene["camera"].contains(key)) scale(scene["camera"][key]);
        }
    }
    for (Json& layer : scene["layers"]) {
        if (layer.contains("position")) scale(layer["position"]);
    }
    scene["render"]["resolution"] = "full";
    scene["render"]["frames"] = 0;
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string out = dir + "/x" + std::to_string(k) + "_" + name;
    std::ofstream(out) << scene.dump(2);
    return out;
}

struct Run {
    std::vector<double> workerCpu; // seconds, in start order
    double total = 0.0;
    double busiest = 0.0;
    int pixels = 0;
};

Run renderOnce(const std::string& tool, const std::string& preload, const Effect& effect,
               const std::string& scene, int cores, const std::string& isa, const std::string& dir,
               int pixels, const std::string& region = "") {
    const std::string log = dir + "/worker_cpu.log";
    std::remove(log.c_str());
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    env.push_back("LD_PRELOAD=" + preload);
    env.push_back("NEBULASTRA_BENCH_CORES=" + std::to_string(cores));
    env.push_back("NEBULASTRA_WORKER_CPU_LOG=" + log);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = {tool,       scene, "--effect", effect.library,
                                     "--isa",    isa,   "--depth",  "32",
                                     "--frames", "0",   "-o",       dir + "/frame.nbrf"};
    if (!region.empty()) {
        args.push_back("--region");
        args.push_back(region);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
        throw std::runtime_error("cannot start " + tool);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the render failed: " + scene);
    std::ifstream in(log);
    Run run;
    run.pixels = pixels;
    std::string first;
    double value = 0.0;
    while (in >> first >> value) {
        if (first == "process") continue;
        run.workerCpu.push_back(value);
        run.total += value;
        run.busiest = std::max(run.busiest, value);
    }
    if (run.workerCpu.empty())
        throw std::runtime_error("no worker thread was recorded (is the preload loaded?)");
    return run;
}

std::vector<int> parseList(const std::string& text) {
    std::vector<int> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) out.push_back(std::stoi(item));
    return out;
}

// The modelled busiest worker over the perfect share for N cores, from the measured CPU time of
// every group of kGroupRows rows drawn alone: the old rule's contiguous bands (at most 16, rows
// split evenly, each band's cost the sum of its rows' share of their groups), and groups shared
// from a counter top to bottom (each group to the worker that is free first).
constexpr int kGroupRows = 4;

double modelBands(const std::vector<double>& group, int rows, int cores) {
    const int bands = std::min({cores, 16, rows});
    const int bandHeight = (rows + bands - 1) / bands;
    double total = 0.0, busiest = 0.0;
    for (double g : group) total += g;
    for (int first = 0; first < rows; first += bandHeight) {
        double band = 0.0;
        for (int y = first; y < std::min(first + bandHeight, rows); ++y) {
            const int g = y / kGroupRows;
            const int inGroup = std::min(kGroupRows, rows - g * kGroupRows);
            band += group[static_cast<std::size_t>(g)] / inGroup;
        }
        busiest = std::max(busiest, band);
    }
    return busiest / (total / cores);
}

double modelShared(const std::vector<double>& group, int cores) {
    const int workers = std::min(cores, static_cast<int>(group.size()));
    std::vector<double> freeAt(static_cast<std::size_t>(workers), 0.0), load = freeAt;
    double total = 0.0;
    for (double g : group) {
        const auto first = std::min_element(freeAt.begin(), freeAt.end()) - freeAt.begin();
        freeAt[static_cast<std::size_t>(first)] += g;
        load[static_cast<std::size_t>(first)] += g;
        total += g;
    }
    return *std::max_element(load.begin(), load.end()) / (total / cores);
}

// The CPU times of every call of 4, 2 and 1 rows drawn alone, starting at a multiple of its rows
// (the calls the row runner makes: see rowsForNextCall).
struct CallCosts {
    std::vector<double> of[5]; // of[n][i]: rows n*i .. n*i+n-1 (n = 1, 2, 4)
};

// The row runner's own rule: each call to the worker that is free first, its rows chosen from the
// rows left by rowsForNextCall. Returns the busiest worker over the perfect share and the frame's
// CPU time (a call of fewer rows costs more per row).
std::pair<double, double> modelGuided(const CallCosts& costs, int rows, int cores) {
    const int workers = nebulastra::planRows(cores, rows).workers;
    std::vector<double> freeAt(static_cast<std::size_t>(workers), 0.0);
    double total = 0.0;
    for (int first = 0; first < rows;) {
        const int n = std::min(nebulastra::rowsForNextCall(rows - first, workers), rows - first);
        const double cost = costs.of[n][static_cast<std::size_t>(first / n)];
        *std::min_element(freeAt.begin(), freeAt.end()) += cost;
        total += cost;
        first += n;
    }
    return {*std::max_element(freeAt.begin(), freeAt.end()) / (total / cores), total};
}

int usage() {
    std::fprintf(stderr, "usage: nebulastra_worker_balance [--effect LABEL=LIBRARY]... [--scene FILE]... "
                         "[--cores 16,32] [--scale K] [--isa PATH] [--rounds R] [--workers] [--model]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        try {
            if (a == "--effect") {
                const std::string v = next();
                const std::size_t eq = v.find('=');
                if (eq == std::string::npos) return usage();
                o.effects.push_back({v.substr(0, eq), v.substr(eq + 1)});
            } else if (a == "--scene") {
                o.scenes.push_back(next());
            } else if (a == "--cores") {
                o.cores = parseList(next());
            } else if (a == "--scale") {
                o.scale = std::stod(next());
            } else if (a == "--isa") {
                o.isa = next();
            } else if (a == "--rounds") {
                o.rounds = std::stoi(next());
            } else if (a == "--workers") {
                o.workers = true;
            } else if (a == "--model") {
                o.model = true;
            } else {
                return usage();
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return usage();
        }
    }
    try {
        if (o.effects.empty()) o.effects.push_back({"this", besideThisProgram("Nebulastra.so")});
        if (o.scenes.empty()) {
            for (const char* name : {"single_white_cloud", "three_lights_screen", "sunset_tower"}) {
                o.scenes.push_back(std::string(NEBULASTRA_SOURCE_DIR) + "/examples/" + name + ".json");
            }
        }
        const std::string tool = besideThisProgram("nebulastra-render");
        const std::string preload = besideThisProgram("libnebulastra_worker_cpu.so");
        char dirTemplate[] = "/tmp/nebulastra_balance_XXXXXX";
        const std::string dir = mkdtemp(dirTemplate);

        std::printf("render path %s, composition x%g, %d alternating rounds; CPU seconds per frame, the "
                    "median round by busiest / perfect\n",
                    o.isa.c_str(), o.scale, o.rounds);
        std::printf("%-22s %-10s %5s %7s | %9s %8s %10s %8s %8s | %8s\n", "scene", "build", "cores",
                    "workers", "CPU total", "us/pixel", "perfect", "busiest", "ratio", "frame");
        for (const std::string& path : o.scenes) {
            const std::string scene = scaledScene(path, o.scale, dir);
            std::ifstream in(scene);
            const Json j = Json::parse(in);
            const int pixels = j["composition"]["width"].get<int>() * j["composition"]["height"].get<int>();
            std::string name = path.substr(path.rfind('/') + 1);
            name = name.substr(0, name.rfind('.'));
            // runs[effect][cores]: one per round
            std::map<std::size_t, std::map<int, std::vector<Run>>> runs;
            for (int r = 0; r < o.rounds; ++r) {
                for (std::size_t n = 0; n < o.effects.size(); ++n) {
                    const std::size_t e = (n + static_cast<std::size_t>(r)) % o.effects.size();
                    for (int cores : o.cores) {
                        runs[e][cores].push_back(
                            renderOnce(tool, preload, o.effects[e], scene, cores, o.isa, dir, pixels));
                    }
                }
            }
            for (int cores : o.cores) {
                for (std::size_t e = 0; e < o.effects.size(); ++e) {
                    std::vector<Run>& rs = runs[e][cores];
                    auto ratio = [cores](const Run& run) { return run.busiest / (run.total / cores); };
                    std::sort(rs.begin(), rs.end(),
                              [&](const Run& a, const Run& b) { return ratio(a) < ratio(b); });
                    const Run& m = rs[rs.size() / 2];
                    std::vector<double> totals;
                    for (const Run& run : rs) totals.push_back(run.total);
                    std::sort(totals.begin(), totals.end());
                    const double total = totals[totals.size() / 2];
                    std::printf("%-22s %-10s %5d %7zu | %9.3f %8.2f %10.4f %8.4f %7.2fx | %7.1f ms\n",
                                name.c_str(), o.effects[e].label.c_str(), cores, m.workerCpu.size(), total,
                                total * 1e6 / pixels, m.total / cores, m.busiest, ratio(m), m.busiest * 1e3);
                    if (o.workers) {
                        std::printf("    workers' CPU ms:");
                        for (double w : m.workerCpu) std::printf(" %.0f", w * 1e3);
                        std::printf("\n");
                    }
                }
            }
            if (o.model) {
                const int width = j["composition"]["width"].get<int>();
                const int height = j["composition"]["height"].get<int>();
                for (std::size_t e = 0; e < o.effects.size(); ++e) {
                    CallCosts costs;
                    for (int n : {1, 2, 4}) {
                        for (int first = 0; first < height; first += n) {
                            const int rows = std::min(n, height - first);
                            const std::string region = "0," + std::to_string(first) + "," +
                                                       std::to_string(width) + "," + std::to_string(rows);
                            costs.of[n].push_back(renderOnce(tool, preload, o.effects[e], scene, 1, o.isa,
                                                             dir, width * rows, region)
                                                      .total);
                        }
                    }
                    const std::vector<double>& group = costs.of[kGroupRows];
                    double groupsTotal = 0.0, rowsTotal = 0.0;
                    for (double g : group) groupsTotal += g;
                    for (double r : costs.of[1]) rowsTotal += r;
                    std::printf("%-22s %-10s model from %zu groups drawn alone (%.3f s, costliest %.1f ms; "
                                "rows alone %.3f s, costliest %.2f ms):",
                                name.c_str(), o.effects[e].label.c_str(), group.size(), groupsTotal,
                                *std::max_element(group.begin(), group.end()) * 1e3, rowsTotal,
                                *std::max_element(costs.of[1].begin(), costs.of[1].end()) * 1e3);
                    for (int cores : o.cores) {
                        const auto guided = modelGuided(costs, height, cores);
                        std::printf(
                            "\n    %d cores: bands %.2fx, groups of four %.2fx, this runner's rule %.2fx "
                            "(its calls drawn alone: %+.1f %% CPU against groups of four)",
                            cores, modelBands(group, height, cores), modelShared(group, cores), guided.first,
                            (guided.second / groupsTotal - 1.0) * 100.0);
                    }
                    std::printf("\n");
                }
            }
            std::fflush(stdout);
        }
        std::remove((dir + "/worker_cpu.log").c_str());
        std::remove((dir + "/frame.nbrf").c_str());
        for (const std::string& path : o.scenes) {
            std::remove(
                (dir + "/x" + std::to_string(o.scale) + "_" + path.substr(path.rfind('/') + 1)).c_str());
        }
        rmdir(dir.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nebulastra_worker_balance: %s\n", e.what());
        return 1;
    }
    return 0;
}
