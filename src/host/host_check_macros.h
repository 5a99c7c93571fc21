// Shared helpers for the compile-time checks of the host interface layout.
//
// The numbers in the checks were measured on the host's own Win64 headers (mingw-w64 and MSVC
// layout agree on all of them). Our declarations use fixed-width types only, so the same numbers
// must hold on 64-bit Linux too; both builds compile these checks, and a slip in any declaration
// stops the build instead of corrupting memory shared with the host.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

// Type of member M of T; M may be a nested member designator such as uu.id.
#define HOST_MEMBER_TYPE(T, M) std::remove_reference_t<decltype(std::declval<T&>().M)>

// Size, alignment, and the properties that make offsetof meaningful and let the host and our
// code create these records with plain memset/malloc.
#define HOST_CHECK_RECORD(T, SIZE, ALIGN)                                                                    \
    static_assert(sizeof(T) == (SIZE), "size of " #T);                                                       \
    static_assert(alignof(T) == (ALIGN), "alignment of " #T);                                                \
    static_assert(std::is_standard_layout<T>::value, #T " must be standard-layout");                         \
    static_assert(std::is_trivial<T>::value, #T " must be trivial")

// Offset and size of a member whose type is not pinned here (opaque handles, placeholders).
#define HOST_CHECK_PLACE(T, M, OFFSET, SIZE)                                                                 \
    static_assert(offsetof(T, M) == (OFFSET), "offset of " #T "::" #M);                                      \
    static_assert(sizeof(HOST_MEMBER_TYPE(T, M)) == (SIZE), "size of " #T "::" #M)

// Offset, size and exact type (catches e.g. a signed/unsigned or char/uint8_t mix-up that keeps
// the size).
#define HOST_CHECK_FIELD(T, M, OFFSET, SIZE, ...)                                                            \
    HOST_CHECK_PLACE(T, M, OFFSET, SIZE);                                                                    \
    static_assert(std::is_same<HOST_MEMBER_TYPE(T, M), __VA_ARGS__>::value, "type of " #T "::" #M)

// A function-table slot: its offset and its full signature in fixed-width types, so a wrong
// argument width or a missing argument fails to compile.
#define HOST_CHECK_SLOT(T, M, OFFSET, ...)                                                                   \
    HOST_CHECK_PLACE(T, M, OFFSET, 8);                                                                       \
    static_assert(std::is_same<HOST_MEMBER_TYPE(T, M), __VA_ARGS__>::value, "signature of " #T "::" #M)
