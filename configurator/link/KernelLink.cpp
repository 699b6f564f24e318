#include "configurator/link/KernelLink.h"

#include "configurator/link/HostSlots.h"
#include "platform/Cp1251.h"

namespace zo::configurator {

int TKernelLink::mode() const {
    if (!record_ || !record_->GetMode) return -1;
    return record_->GetMode();
}

void TKernelLink::writeHostSlots() {
    if (record_) WriteHostSlots(*record_);
}

void TKernelLink::init() {
    if (record_ && record_->KernelInit) record_->KernelInit();
}

QString TKernelLink::text(const char* value) { return value ? platform::cp1251ToQString(value) : QString(); }

}  // namespace zo::configurator
