#pragma once
// TLogsOptions: the record of the logging library ZoLogs (named logs, a log
// rendered into a picture for the log panel, a log window), and TLogView, the
// log panel's view record that crosses with RenderLogView.

#include "common/abi/AbiLayout.h"
#include "common/abi/LogProc.h"  // TLogWriteProc, the type of WriteLine

#include <cstdint>

extern "C" {

#pragma pack(push, 1)
// One view of a log. The caller fills LogName, Width, Height, Action, X, Y,
// Mode and Position; the library writes Position and the five fields after it.
// Positions are byte offsets in the log file.
struct TLogView {
    char LogName[256];
    uint16_t Width;   // picture size in pixels
    uint16_t Height;
    uint8_t Action;   // 0 redraw, 1 mouse press at X, Y
    int32_t X;
    int32_t Y;
    uint8_t Mode;     // 2 follow the end of the log, 1 show at Position
    int64_t Position;
    int64_t LineUpPosition;    // negative: no such move
    int64_t LineDownPosition;
    int64_t PageUpPosition;
    int64_t PageDownPosition;
    int64_t Size;     // the log's size in bytes
};
#pragma pack(pop)

typedef void (*TLogsLifeProc)();
typedef void (*TCloseLogProc)(const char* logName, const char* text);
typedef void (*TClearLogProc)(const char* logName);
typedef void (*TOpenLogProc)(const char* logName, int32_t limit);
// graphic is nil on entry; on 0 it may receive a QImage* that the library owns
// (valid until the next call; the caller never frees it).
typedef int32_t (*TRenderLogViewProc)(TLogView* view, void** graphic);
typedef void (*TShowLogWindowProc)(const char* logName, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   int32_t flag);

#pragma pack(push, 1)
struct TLogsOptions {
    char Description[40];
    void* HostApplication;  // written by the host before Initialize
    void* HostScreen;
    TLogsLifeProc Initialize;  // after binding
    TLogsLifeProc Finalize;    // before unbinding
    TCloseLogProc CloseLog;
    TLogWriteProc WriteLine;
    void* Reserved[2];  // two slots the program does not use
    TClearLogProc ClearLog;
    TOpenLogProc OpenLog;
    TRenderLogViewProc RenderLogView;
    TShowLogWindowProc ShowLogWindow;
};
#pragma pack(pop)

}  // extern "C"

ZO_ABI_CHECK_OFFSET(TLogView, Width, 256, 0);
ZO_ABI_CHECK_OFFSET(TLogView, Height, 258, 0);
ZO_ABI_CHECK_OFFSET(TLogView, Action, 260, 0);
ZO_ABI_CHECK_OFFSET(TLogView, X, 261, 0);
ZO_ABI_CHECK_OFFSET(TLogView, Y, 265, 0);
ZO_ABI_CHECK_OFFSET(TLogView, Mode, 269, 0);
ZO_ABI_CHECK_OFFSET(TLogView, Position, 270, 0);
ZO_ABI_CHECK_OFFSET(TLogView, LineUpPosition, 278, 0);
ZO_ABI_CHECK_OFFSET(TLogView, LineDownPosition, 286, 0);
ZO_ABI_CHECK_OFFSET(TLogView, PageUpPosition, 294, 0);
ZO_ABI_CHECK_OFFSET(TLogView, PageDownPosition, 302, 0);
ZO_ABI_CHECK_OFFSET(TLogView, Size, 310, 0);
ZO_ABI_CHECK_SIZE(TLogView, 318, 0);

ZO_ABI_CHECK_OFFSET(TLogsOptions, HostApplication, 40, 0);
ZO_ABI_CHECK_OFFSET(TLogsOptions, HostScreen, 44, 1);
ZO_ABI_CHECK_OFFSET(TLogsOptions, Initialize, 48, 2);
ZO_ABI_CHECK_OFFSET(TLogsOptions, Finalize, 52, 3);
ZO_ABI_CHECK_OFFSET(TLogsOptions, CloseLog, 56, 4);
ZO_ABI_CHECK_OFFSET(TLogsOptions, WriteLine, 60, 5);
ZO_ABI_CHECK_OFFSET(TLogsOptions, Reserved, 64, 6);
ZO_ABI_CHECK_OFFSET(TLogsOptions, ClearLog, 72, 8);
ZO_ABI_CHECK_OFFSET(TLogsOptions, OpenLog, 76, 9);
ZO_ABI_CHECK_OFFSET(TLogsOptions, RenderLogView, 80, 10);
ZO_ABI_CHECK_OFFSET(TLogsOptions, ShowLogWindow, 84, 11);
ZO_ABI_CHECK_SIZE(TLogsOptions, 88, 12);
