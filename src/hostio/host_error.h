#pragma once
// The one exception the effect throws on purpose: a host error code on its way back to the host.
//
// Code that talks to the host throws HostError when the host refuses something the command cannot
// do without (a suite, a checkout). effectMain returns its code unchanged; callers that can carry
// on without the host's answer catch HostError, and only HostError, themselves, so an exhausted
// heap or a broken invariant is never mistaken for a host that said no.

#include <exception>

#include "host/host_types.h"

namespace nebulastra {

class HostError : public std::exception {
public:
    explicit HostError(PF_Err code) noexcept : code_(code) {}
    PF_Err code() const noexcept { return code_; }
    const char* what() const noexcept override { return "host error"; }

private:
    PF_Err code_;
};

} // namespace nebulastra
