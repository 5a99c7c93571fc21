// The two hosts behind one interface.
#include "frame_host.h"

#include <stdexcept>
#include <string>

#include "scenehost/scene_host.h"

namespace nebulastra::render_tool {
namespace {

class Lean final : public FrameHost {
public:
    Lean(scenefile::Scene scene, std::shared_ptr<effectlib::EffectModule> effect,
         const std::optional<Region>& region, leanhost::Interrupts interrupts)
        : host_(std::move(scene), std::move(effect)) {
        host_.start();
        if (region)
            host_.setRequestRect(region->x, region->y, region->x + region->width, region->y + region->height);
        host_.setInterrupts(std::move(interrupts));
    }
    std::int32_t requestFrame(std::int32_t frame) override { return host_.requestFrame(frame); }
    const PF_LayerDef& output() override { return host_.output(); }

private:
    leanhost::LeanHost host_;
};

class Strict final : public FrameHost {
public:
    Strict(scenefile::Scene scene, std::shared_ptr<effectlib::EffectModule> effect,
           const std::optional<Region>& region)
        : host_(std::move(scene), std::move(effect)) {
        host_.start();
        check("setup");
        if (region)
            host_.setRequestRect(region->x, region->y, region->x + region->width, region->y + region->height);
    }
    std::int32_t requestFrame(std::int32_t frame) override {
        const std::int32_t err = host_.requestFrame(frame);
        check("frame " + std::to_string(frame));
        return err;
    }
    const PF_LayerDef& output() override { return *host_.output().world(); }

private:
    // A fault fails the run; otherwise the records are dropped, so a long sequence does not
    // collect them.
    void check(const std::string& what) {
        if (!host_.clean()) {
            std::string report = host_.report();
            report = report.substr(0, report.find('\n'));
            throw std::runtime_error("--strict: " + what + ": " + report);
        }
        host_.clearRecords();
    }

    scenehost::SceneHost host_;
};

} // namespace

std::unique_ptr<FrameHost> makeFrameHost(bool strict, scenefile::Scene scene,
                                         std::shared_ptr<effectlib::EffectModule> effect,
                                         const std::optional<Region>& region,
                                         leanhost::Interrupts interrupts) {
    if (strict) return std::make_unique<Strict>(std::move(scene), std::move(effect), region);
    return std::make_unique<Lean>(std::move(scene), std::move(effect), region, std::move(interrupts));
}

} // namespace nebulastra::render_tool
