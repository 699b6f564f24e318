#include "configurator/link/CursorTable.h"

namespace zo::configurator {

Qt::CursorShape cursorShape(int16_t cursor) {
    switch (cursor) {
    case 0: return Qt::ArrowCursor;    // default
    case -1: return Qt::BlankCursor;   // none
    case -2: return Qt::ArrowCursor;   // arrow
    case -3: return Qt::CrossCursor;   // cross
    case -4: return Qt::IBeamCursor;   // text
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: return Qt::WaitCursor;
    case -12: return Qt::DragCopyCursor;   // drag
    case -13: return Qt::ForbiddenCursor;  // no drop
    case -14: return Qt::SplitHCursor;
    case -15: return Qt::SplitVCursor;
    case -16: return Qt::DragCopyCursor;   // multiple drag
    case -18: return Qt::ForbiddenCursor;  // no
    case -19: return Qt::BusyCursor;       // application starting
    case -20: return Qt::WhatsThisCursor;  // help
    case -21: return Qt::PointingHandCursor;
    case -22: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

}  // namespace zo::configurator
