// The tables at the kernel boundary: Qt keys to key codes, the shift byte and
// cursor numbers to cursor shapes.
#include "configurator/link/CursorTable.h"
#include "configurator/link/KeyTable.h"

#include <gtest/gtest.h>

using namespace zo::configurator;

TEST(KeyTable, QtKeysBecomeTheKernelsCodes) {
    const struct {
        int key;
        uint16_t code;
    } cases[] = {
        {Qt::Key_A, 65},      {Qt::Key_C, 67},      {Qt::Key_Z, 90},     {Qt::Key_0, 48},
        {Qt::Key_9, 57},      {Qt::Key_Delete, 46}, {Qt::Key_Left, 37},  {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},  {Qt::Key_Down, 40},   {Qt::Key_Shift, 16}, {Qt::Key_Control, 17},
        {Qt::Key_Alt, 18},    {Qt::Key_Escape, 27}, {Qt::Key_Return, 13}, {Qt::Key_F1, 112},
        {Qt::Key_F12, 123},
        // Cyrillic letters carry the Latin letter of their key: С is C, М is V, Ф is A, Ч is X.
        {0x0421, 67},         {0x041C, 86},         {0x0424, 65},        {0x0427, 88},
        {Qt::Key_unknown, 0}, {Qt::Key_Menu, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(kernelKeyCode(c.key), c.code) << std::hex << c.key;
}

TEST(KeyTable, ShiftByteHoldsModifiersButtonsAndDoubleClick) {
    EXPECT_EQ(kernelShiftState(Qt::NoModifier), 0);
    EXPECT_EQ(kernelShiftState(Qt::ShiftModifier), 1);
    EXPECT_EQ(kernelShiftState(Qt::AltModifier), 2);
    EXPECT_EQ(kernelShiftState(Qt::ControlModifier), 4);
    EXPECT_EQ(kernelShiftState(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton), 1 + 4 + 8);
    EXPECT_EQ(kernelShiftState(Qt::NoModifier, Qt::RightButton | Qt::MiddleButton), 16 + 32);
    EXPECT_EQ(kernelShiftState(Qt::NoModifier, Qt::LeftButton, true), 8 + 64);
}

TEST(CursorTable, SystemNumbersBecomeShapes) {
    const struct {
        int16_t number;
        Qt::CursorShape shape;
    } cases[] = {{0, Qt::ArrowCursor},          {-21, Qt::PointingHandCursor}, {-3, Qt::CrossCursor},
                 {-18, Qt::ForbiddenCursor},    {-6, Qt::SizeBDiagCursor},     {-7, Qt::SizeVerCursor},
                 {-8, Qt::SizeFDiagCursor},     {-9, Qt::SizeHorCursor},       {-12, Qt::DragCopyCursor},
                 {-13, Qt::ForbiddenCursor},    {-22, Qt::SizeAllCursor},      {123, Qt::ArrowCursor}};
    for (const auto& c : cases) EXPECT_EQ(cursorShape(c.number), c.shape) << c.number;
}
