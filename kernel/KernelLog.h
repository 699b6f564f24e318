#pragma once
// The kernel's log line: every kernel routine writes through KernelLog, which
// reaches the logging library once the host has called SetLogCallback.

#include "common/SlotBarrier.h"
#include "common/abi/LogProc.h"
#include "kernel/BlockEdits.h"

#include <cstdint>
#include <string>

extern "C" {
void KernelLog(const char* text, uint8_t level);
void SetLogCallback(const char* logName, TLogWriteProc callback);
}

namespace zo::kernel {

inline void Log(const std::string& text, uint8_t level) { KernelLog(text.c_str(), level); }

// One double-quote character, as log texts enclose names in it.
inline const std::string Q = "\"";

// The kernel's report of a failed slot: one level-5 line naming the slot.
void ReportSlotFailure(const char* slot, const char* what) noexcept;

// A kernel routine as a slot runs it: a slot that does not note its block
// edits tells the painter's journal first that anything may change; the
// journal knows while it runs whether the code running notes its edits.
template <SlotName Name, auto Routine>
struct JournaledRoutine;

template <SlotName Name, typename Result, typename... Args, Result (*Routine)(Args...)>
struct JournaledRoutine<Name, Routine> {
    static Result Call(Args... args) {
        constexpr bool noting = NotesBlockEdits(std::string_view(Name.text));
        if constexpr (!noting) BlockEdits().NoteAll();
        const TBlockEdits::Scope scope(BlockEdits(), noting);
        return Routine(args...);
    }
};

// A kernel routine behind the barrier, as the records the kernel fills hold it.
template <SlotName Name, auto Routine, auto... Failure>
inline constexpr auto Slot =
    &SlotBarrier<ReportSlotFailure, Name, &JournaledRoutine<Name, Routine>::Call, Failure...>::Call;

// The text a text slot gives when it fails: empty, never nil.
inline constexpr char kNoText[] = "";

}  // namespace zo::kernel

// A slot behind the barrier under its own name, with its failure result when it has one.
#define ZO_KERNEL_SLOT(routine, ...) (::zo::kernel::Slot<#routine, routine __VA_OPT__(, ) __VA_ARGS__>)
