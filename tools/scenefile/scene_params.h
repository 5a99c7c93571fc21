// The scene file's names for the effect's parameters.
//
// The names are the scene file's own. Everything else about a parameter (its kind, default,
// ranges and popup choices) is the effect's: the loader reads it from the effect's parameter
// table (params/param_table.h), the table the effect declares to the host at
// PF_Cmd_PARAMS_SETUP, and the host hands out values in the type the effect declared.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "params/param_table.h"

namespace nebulastra::scenefile {

// One value-carrying parameter as scene files name it.
struct EffectKey {
    std::string_view key; // e.g. "sunAzimuth"
    ParamIndex index;
};

// Every parameter that carries a value (all but group starts and ends) has one key.
inline constexpr std::size_t kEffectKeyCount = 46;

// The keys in parameter order.
const std::array<EffectKey, kEffectKeyCount>& effectKeys();

// The key with this name, or nullptr.
const EffectKey* findEffectKey(std::string_view key);

// Keys a misspelt name was probably meant to be, best first (at most three): those within two
// letters' edits of it, ignoring case (one edit for names of up to four letters), then those that
// contain it ("seed" -> "billowSeed", ...). Empty when nothing is close.
std::vector<std::string_view> closeEffectKeys(std::string_view name);

// 1-based index of `choice` among the popup row's "|"-separated choices (exact, case-sensitive),
// or 0.
int popupChoiceIndex(const ParamSpec& row, std::string_view choice);

// round(x) with halves away from zero, saturated to int32; NaN gives 0.
std::int32_t roundToInt32(double x);

} // namespace nebulastra::scenefile
