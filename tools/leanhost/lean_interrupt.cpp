// The host's interrupt callbacks: inter.abort tells the effect whether the user has asked to stop
// (the effect polls it while its workers run and returns PF_Interrupt_CANCEL from the render
// command when told to), inter.progress reports how far the frame has got. Both answer from the
// Interrupts the host's owner set; without them the render is never stopped and progress goes
// nowhere.
#include "leanhost/lean_state.h"

namespace nebulastra::leanhost {

PF_Err abortCallback(PF_ProgPtr) {
    const LeanHost::State* s = activeHost();
    if (s == nullptr || !s->interrupts.stopRequested) return PF_Err_NONE;
    return s->interrupts.stopRequested() ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

PF_Err progressCallback(PF_ProgPtr, A_long current, A_long total) {
    const LeanHost::State* s = activeHost();
    if (s != nullptr && s->interrupts.progress) s->interrupts.progress(current, total);
    return PF_Err_NONE;
}

} // namespace nebulastra::leanhost
