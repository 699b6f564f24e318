#include "kernel/SheetList.h"

#include "common/MenObj.h"
#include "kernel/KernelState.h"

namespace zo::kernel {

TSheetRecord* FindSheet(const char* name, uint16_t* index) {
    if (!name) return nullptr;
    uint16_t at = 0;
    const TMenObj& sheets = State().sheets;
    if (!sheets.FindName(at, name)) return nullptr;
    if (index) *index = at;
    return static_cast<TSheetRecord*>(sheets.GetItem(at));
}

}  // namespace zo::kernel
