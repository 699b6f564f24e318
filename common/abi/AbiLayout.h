#pragma once
// Layout checks for records that cross a library boundary. The records were laid
// out for 4-byte pointers; here they keep their fields in order, packed, with
// native pointers. ZO_ABI_OFFSET(n32, pointersBefore) gives the offset of a
// field on this platform from its documented 32-bit offset and the number of
// pointer slots in front of it.

#include <cstddef>

#define ZO_ABI_PTR_EXTRA (sizeof(void*) - 4)
#define ZO_ABI_OFFSET(offset32, pointersBefore) (std::size_t(offset32) + std::size_t(pointersBefore) * ZO_ABI_PTR_EXTRA)
#define ZO_ABI_CHECK_OFFSET(Type, field, offset32, pointersBefore) \
    static_assert(offsetof(Type, field) == ZO_ABI_OFFSET(offset32, pointersBefore), #Type "::" #field " offset")
#define ZO_ABI_CHECK_SIZE(Type, size32, pointers) \
    static_assert(sizeof(Type) == ZO_ABI_OFFSET(size32, pointers), #Type " size")

// A copy of a field of a packed record. Binding a reference to a field that is
// not aligned is undefined, so values are copied out before they are compared
// or handed on by reference.
#define ZO_FIELD(record, field) (static_cast<decltype((record).field)>((record).field))
