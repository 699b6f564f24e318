#pragma once
// Services the kernel hands the graphic library.

#include <cstdint>

// Appends one item (the list's item size, copied from item) to a kernel list:
// 0 appended; -1 not appended; -2 nil list.
extern "C" int32_t AddMenObjItem(void* list, const void* item);
