#pragma once
// The barrier every slot of a library's record runs behind: a C caller can
// take no exception, so whatever the slot's body throws is caught here, told
// once to the library's report routine (the slot's name and what failed) and
// turned into the slot's failure result.
//
// A record is filled with the barrier's entry instead of the routine itself:
//   record.DeleteSheet = zo::SlotBarrier<Report, "DeleteSheet", DeleteSheet, -2>::Call;
// A routine without a result takes no failure value; one that gives a pointer
// usually fails with nullptr.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <type_traits>

namespace zo {

// A slot's name as a template argument.
template <size_t N>
struct SlotName {
    char text[N];
    constexpr SlotName(const char (&name)[N]) { std::copy_n(name, N, text); }
};

// Where a library reports a failed slot: the slot's name and the exception's
// text ("unknown exception" for one that is no std::exception). It must not
// throw.
using SlotFailureReport = void (*)(const char* slot, const char* what) noexcept;

// The report of a library without a log of its own: one line on stderr.
inline void ReportSlotFailureToStderr(const char* slot, const char* what) noexcept {
    std::fprintf(stderr, "%s: %s\n", slot, what);
}

namespace detail {

inline void reportCurrentException(SlotFailureReport report, const char* slot) noexcept {
    const char* what = "unknown exception";
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
        report(slot, what);
        return;
    } catch (...) {
    }
    report(slot, what);
}

}  // namespace detail

template <SlotFailureReport Report, SlotName Name, auto Routine, auto... Failure>
struct SlotBarrier;

template <SlotFailureReport Report, SlotName Name, typename Result, typename... Args, Result (*Routine)(Args...),
          auto... Failure>
struct SlotBarrier<Report, Name, Routine, Failure...> {
    static_assert(std::is_void_v<Result> ? sizeof...(Failure) == 0 : sizeof...(Failure) == 1,
                  "a slot with a result names its failure result, one without names none");

    static Result Call(Args... args) noexcept {
        try {
            return Routine(args...);
        } catch (...) {
            detail::reportCurrentException(Report, Name.text);
        }
        if constexpr (!std::is_void_v<Result>) return static_cast<Result>((Failure, ...));
    }
};

}  // namespace zo
