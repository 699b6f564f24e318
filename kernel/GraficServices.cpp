#include "kernel/GraficServices.h"

#include "common/MenObj.h"

extern "C" int32_t AddMenObjItem(void* list, const void* item) {
    if (!list) return -2;
    if (!item) return -1;
    return static_cast<zo::TMenObj*>(list)->AddItem(item) == 1 ? 0 : -1;
}
