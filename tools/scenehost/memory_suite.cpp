// "AEGP Memory Suite" 1: the effect only locks, unlocks and frees the handles the host gave it
// (layer names), which the lean host answers. Misuse is a fault: a handle the host never handed out, a double free, a free
// while still locked, an unlock without a lock. Leaks show in memoryBalance() and as a fault at
// the end of the command.
#include <string>

#include "scenehost/suite_table.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

leanhost::NameBlock* liveBlock(State& s, const char* fn, AEGP_MemHandle mem) {
    leanhost::NameBlock* block = s.nameBlock(mem);
    if (block == nullptr) {
        s.fault(std::string(fn) + " of a memory handle the host did not hand out");
        return nullptr;
    }
    if (block->freed) {
        s.fault(std::string(fn) + " of a memory handle that was already freed");
        return nullptr;
    }
    return block;
}

A_Err freeMemHandle(AEGP_MemHandle mem) {
    const char* fn = "AEGP_FreeMemHandle";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    leanhost::NameBlock* block = liveBlock(*s, fn, mem);
    if (block == nullptr) return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (block->locks > 0) s->fault("AEGP_FreeMemHandle of a memory handle that is still locked");
    ++s->memory.frees;
    return answer(*s, fn, -1, -1, leanhost::memorySuite().AEGP_FreeMemHandle(mem));
}

A_Err lockMemHandle(AEGP_MemHandle mem, void** ptr_to_ptr) {
    const char* fn = "AEGP_LockMemHandle";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    leanhost::NameBlock* block = liveBlock(*s, fn, mem);
    if (block == nullptr || ptr_to_ptr == nullptr) {
        if (block != nullptr) s->fault("AEGP_LockMemHandle without a result pointer");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    std::optional<Failure> f = s->failureFor(fn, kAnyLayer);
    if (f && f->err != 0) return answer(*s, fn, -1, -1, f->err);
    ++s->memory.locks;
    const A_Err err = leanhost::memorySuite().AEGP_LockMemHandle(mem, ptr_to_ptr);
    if (f) *ptr_to_ptr = nullptr; // an injected err 0 locks but yields null
    return answer(*s, fn, -1, -1, err);
}

A_Err unlockMemHandle(AEGP_MemHandle mem) {
    const char* fn = "AEGP_UnlockMemHandle";
    State* s = enterHost(fn);
    if (s == nullptr) return A_Err_GENERIC;
    leanhost::NameBlock* block = liveBlock(*s, fn, mem);
    if (block == nullptr) return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    if (block->locks == 0) {
        s->fault("AEGP_UnlockMemHandle of a memory handle that is not locked");
        return answer(*s, fn, -1, -1, A_Err_PARAMETER);
    }
    ++s->memory.unlocks;
    return answer(*s, fn, -1, -1, leanhost::memorySuite().AEGP_UnlockMemHandle(mem));
}

} // namespace

const void* checkedMemorySuite() {
    static const AEGP_MemorySuite1 table = [] {
        AEGP_MemorySuite1 t;
        fillRefused<kMemory, std::size(kMemorySuiteSlots)>(t);
        t.AEGP_FreeMemHandle = &freeMemHandle;
        t.AEGP_LockMemHandle = &lockMemHandle;
        t.AEGP_UnlockMemHandle = &unlockMemHandle;
        return t;
    }();
    return &table;
}

} // namespace nebulastra::scenehost
