#pragma once
// A fake of the kernel's record TKernelOptions for widget and link tests that
// only need the kernel's calls recorded and its answers set.
//
// Every slot of the record (also those of the inspector part and both
// structure-access tables) is filled with a trampoline that records the call
// as its slot name and its arguments in text form, then answers:
//   - through a hook set with setHook<Slot>(name, function) when one is set
//     (the hook gets the raw arguments, e.g. to fill an out-parameter);
//   - else with the answer set for the slot: setResult (integer results),
//     setText (text results, Windows-1251), setPointer (pointer results);
//   - else with 0, "" or nullptr.
// The program overwrites the host slots (ShowSchemeWindow, SetStatusText ...)
// as it does on the real record; tests then call them through record().
//
// Only one fake is live at a time (the trampolines are plain C functions and
// reach it through current()); calls while none is live are answered with the
// defaults and not recorded. Recording is thread safe.
//
// Arguments in text form: texts as given (Windows-1251; nil as "<nil>"),
// integers in decimal (bytes too), floats with %g, pointers as "<nil>" or
// "<ptr>". A further record or slot is added to FakeKernel.cpp's table with
// one ZO_FAKE_SLOT line; nothing else changes.

#include "common/abi/KernelOptions.h"

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

namespace zo::test {

struct FakeCall {
    std::string slot;
    std::vector<std::string> args;
};

class FakeKernel {
public:
    FakeKernel();
    ~FakeKernel();
    FakeKernel(const FakeKernel&) = delete;
    FakeKernel& operator=(const FakeKernel&) = delete;

    // The record, filled with the trampolines.
    TKernelOptions& record() { return record_; }
    TKernelOptions* recordPtr() { return &record_; }

    // Every call so far, in order.
    std::vector<FakeCall> calls() const;
    // The calls of one slot, in order.
    std::vector<FakeCall> callsOf(const std::string& slot) const;
    int count(const std::string& slot) const;
    // The slot names of every call, in order (for order assertions).
    std::vector<std::string> slotsCalled() const;
    void clearCalls();

    void setResult(const std::string& slot, int64_t value);
    void setText(const std::string& slot, const std::string& text);
    void setPointer(const std::string& slot, void* pointer);

    // A hook for one slot with the slot's own signature, e.g.
    //   fake.setHook<TSheetBitmapProc>("PaintScheme", [](const char*, void** bitmap) { ...; return 0; });
    template <typename SlotType, typename F>
    void setHook(const std::string& slot, F&& function) {
        std::lock_guard lock(mutex_);
        hooks_[slot] = std::function<std::remove_pointer_t<SlotType>>(std::forward<F>(function));
    }

    // The live fake, nullptr when none.
    static FakeKernel* current();

    // Used by the trampolines.
    template <typename R, typename... A>
    static R dispatch(const char* slot, A... args);

private:
    static std::string describe(const char* text);
    static std::string describe(char* buffer);
    static std::string describe(float value);
    static std::string describe(double value);
    template <typename T>
    static std::string describe(T value) {
        if constexpr (std::is_pointer_v<T>) return value ? "<ptr>" : "<nil>";
        else return std::to_string(static_cast<long long>(value));
    }

    template <typename R>
    R answer(const std::string& slot);

    TKernelOptions record_{};
    mutable std::mutex mutex_;
    std::vector<FakeCall> calls_;
    std::map<std::string, int64_t> results_;
    std::map<std::string, std::string> texts_;
    std::map<std::string, void*> pointers_;
    std::map<std::string, std::any> hooks_;
};

template <typename R>
R FakeKernel::answer(const std::string& slot) {
    if constexpr (std::is_void_v<R>) {
        return;
    } else if constexpr (std::is_same_v<R, const char*>) {
        auto it = texts_.find(slot);
        if (it == texts_.end()) it = texts_.emplace(slot, std::string()).first;
        return it->second.c_str();  // lives until the text is set again
    } else if constexpr (std::is_pointer_v<R>) {
        const auto it = pointers_.find(slot);
        return it == pointers_.end() ? nullptr : static_cast<R>(it->second);
    } else {
        const auto it = results_.find(slot);
        return it == results_.end() ? R{} : static_cast<R>(it->second);
    }
}

template <typename R, typename... A>
R FakeKernel::dispatch(const char* slot, A... args) {
    FakeKernel* fake = current();
    if (!fake) {
        if constexpr (std::is_void_v<R>) return;
        else if constexpr (std::is_same_v<R, const char*>) return "";
        else return R{};
    }
    std::function<R(A...)> hook;
    {
        std::lock_guard lock(fake->mutex_);
        fake->calls_.push_back(FakeCall{slot, {describe(args)...}});
        const auto it = fake->hooks_.find(slot);
        if (it != fake->hooks_.end()) {
            if (auto* h = std::any_cast<std::function<R(A...)>>(&it->second)) hook = *h;
        }
        if (!hook) return fake->answer<R>(slot);
    }
    return hook(args...);  // outside the lock: a hook may call the kernel again
}

}  // namespace zo::test
