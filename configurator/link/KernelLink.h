#pragma once
// The main window's link to the kernel record: whether the kernel is bound,
// its mode, and the host slots. It holds the record pointer (the bound
// kernel's, or a test's fake) and is handed by reference to whoever needs it.

#include "common/abi/KernelOptions.h"

#include <QString>

namespace zo::configurator {

// The kernel's editing modes (GetMode / SetMode).
enum class KernelMode : int { Select = 0, Connect = 2, Debug = 3 };

class TKernelLink {
public:
    explicit TKernelLink(TKernelOptions* record = nullptr) : record_(record) {}

    void setRecord(TKernelOptions* record) { record_ = record; }
    TKernelOptions* record() const { return record_; }
    bool bound() const { return record_ != nullptr; }

    // The kernel's mode; -1 while unbound or when the slot is missing.
    int mode() const;
    // Writes the host slots (the kernel then calls the installed host services).
    void writeHostSlots();
    // KernelInit, when bound.
    void init();

    // A kernel text (Windows-1251) as QString; empty for nil.
    static QString text(const char* value);

private:
    TKernelOptions* record_;
};

}  // namespace zo::configurator
