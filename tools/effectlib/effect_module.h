// The effect library as the host sees it: a file loaded with the platform loader (dlopen on
// Linux, LoadLibraryW on Windows) and reached through its two exported entry points only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct PF_InData;
struct PF_OutData;
struct PF_ParamDef;
struct PF_LayerDef;
struct SPBasicSuite;
struct PF_PluginData; // opaque: the host's own data pointer, handed back to its callback

namespace nebulastra::effectlib {

// The host's plug-in data callback (PF_PluginDataCB): strings are NUL-terminated 8-bit text.
// The parameter types are the entry point's own, so that the call is through its exact type.
using PluginDataCallback = std::int32_t (*)(PF_PluginData* pluginData, const unsigned char* name,
                                            const unsigned char* matchName, const unsigned char* category,
                                            const unsigned char* entryPoint, std::int32_t kind,
                                            std::int32_t apiMajor, std::int32_t apiMinor,
                                            std::int32_t reservedInfo);
using PluginDataEntryFn = std::int32_t (*)(PF_PluginData* pluginData, PluginDataCallback callback,
                                           SPBasicSuite* basic, const char* hostName,
                                           const char* hostVersion);
using EffectMainFn = std::int32_t (*)(std::int32_t cmd, PF_InData* in_data, PF_OutData* out_data,
                                      PF_ParamDef** params, PF_LayerDef* output, void* extra);

class EffectModule {
public:
    // NEBULASTRA_EFFECT when set; otherwise the effect file built with this project
    // (Nebulastra.so / Nebulastra.aex) in the directory of the running program.
    static std::string defaultPath();

    // One process-wide module at defaultPath(), loaded on first use and kept loaded.
    static std::shared_ptr<EffectModule> shared();

    // A private copy of the library at defaultPath(), loaded under its own file name so that it
    // gets its own process-wide state (the AEGP plug-in ID global setup keeps, for one). The copy
    // is unloaded and deleted with the module.
    static std::shared_ptr<EffectModule> freshCopy();

    // Loads the library and resolves "EffectMain" and "PluginDataEntryFunction".
    // Throws std::runtime_error naming the path and the loader's complaint.
    explicit EffectModule(const std::string& path);
    ~EffectModule();
    EffectModule(const EffectModule&) = delete;
    EffectModule& operator=(const EffectModule&) = delete;

    const std::string& path() const { return path_; }
    EffectMainFn effectMain() const { return effectMain_; }
    PluginDataEntryFn pluginDataEntry() const { return pluginDataEntry_; }

private:
    void close();

    std::string path_;
    bool ownsFile_ = false; // path_ is a private copy, deleted on destruction
    void* handle_ = nullptr;
    EffectMainFn effectMain_ = nullptr;
    PluginDataEntryFn pluginDataEntry_ = nullptr;
};

} // namespace nebulastra::effectlib
