// Filling a checked suite table: every slot first points at a function that records the call as a
// fault and answers with an error; the host then sets the slots the lean host serves to functions
// that check and record the call and pass it on to the lean host's answer. A table is a record of
// C function pointers, so it is filled slot by slot as raw pointer-sized words.
#pragma once

#include <cstddef>
#include <cstring>
#include <iterator>
#include <utility>

#include "scenehost/host_state.h"
#include "scenehost/suite_slot_names.h"

namespace nebulastra::scenehost {

enum SuiteId : int { kBasic, kUtility, kAnsi, kPFInterface, kLayer, kLight, kStream, kMemory, kWorld };

const char* suiteDisplayName(int suite);
const char* slotName(int suite, int slot);
// What an unserved slot answers: the basic suite's '!IMP', PF_Err_INVALID_CALLBACK for the PF
// suites, A_Err_GENERIC for the AEGP suites.
std::int32_t unservedError(int suite);
void recordUnserved(int suite, int slot);

template <int Suite, int Slot>
std::int32_t unservedSlot() {
    recordUnserved(Suite, Slot);
    return unservedError(Suite);
}

template <int Suite, typename Table, std::size_t... I>
void fillRefused(Table& table, std::index_sequence<I...>) {
    using AnyFn = std::int32_t (*)();
    static_assert(sizeof(Table) == sizeof...(I) * sizeof(AnyFn), "slot names out of step with the table");
    const AnyFn slots[] = {&unservedSlot<Suite, static_cast<int>(I)>...};
    std::memcpy(&table, slots, sizeof slots);
}

template <int Suite, std::size_t SlotCount, typename Table>
void fillRefused(Table& table) {
    fillRefused<Suite>(table, std::make_index_sequence<SlotCount>{});
}

// Records a suite call and returns its result.
inline std::int32_t answer(SceneHost::State& s, const char* function, std::int32_t arg, std::int32_t layer,
                           std::int32_t err, std::string text = std::string()) {
    s.record(HostCall{function, arg, layer, err, std::move(text)});
    return err;
}

inline std::string timeText(const A_Time& t) {
    return "t=" + std::to_string(t.value) + "/" + std::to_string(t.scale);
}

// The checked tables, one for each of the lean host's (checkedSuite maps them).
const void* checkedUtilitySuite();
const void* checkedAnsiSuite();
const void* checkedPfInterfaceSuite();
const void* checkedLayerSuite();
const void* checkedLightSuite();
const void* checkedStreamSuite();
const void* checkedMemorySuite();
const void* checkedWorldSuite();

} // namespace nebulastra::scenehost
