#pragma once
// The program's own icon, drawn here: a function block with two inputs and
// one output on the product's blue. The main window shows it, the desktop
// shows it for project files, and the about box carries the same mark.

#include <QImage>
#include <QRect>

class QPainter;

namespace zo::configurator {

// The mark in white lines within box (the block, its pins and "FBD" below it).
void DrawProgramMark(QPainter& painter, const QRect& box);

// The icon, size x size pixels, on a rounded blue field.
QImage ProgramIcon(int size = 48);

}  // namespace zo::configurator
