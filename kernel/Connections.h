#pragma once
// Laying connections: straight segments (mode 1) and routes through the routing
// library (mode 2), splitting a segment where a new one ends inside it, merging
// collinear segments that meet end to end, and the chain and net look-ups
// around them. Stored segments keep PointA before PointB (X, then Y).

#include "common/abi/ConnectionRecord.h"
#include "common/abi/SheetRecord.h"

#include <cstdint>
#include <string>

namespace zo::kernel {

// Reasons for refusing a connection (Windows-1251).
const char* RefusalThroughBlock();     // "Невозможно проложить линию через FBD блок"
const char* RefusalPinTaken();         // "Вывод FBD блока уже соеденен"
const char* RefusalSameNet();          // "Соеденение одной и тойже линии"
const char* RefusalTwoOutputs();       // "Обьеденение выводов FBD блоков"
const char* RefusalTypes();            // "Несоответствие типов"

// Asks the routing library for a route between two cells of the sheet.
// 0 found (the routing library holds it); -1 start equals end, no sheet or no
// routing library; -2 refused, the reason copied into message (261 bytes) when
// given; other values are the routing library's failure.
int RouteConnection(TSheetRecord* sheet, uint32_t start, uint32_t end, char* message);

// Splits the last connection that passes strictly through point into two that
// meet there: 0 split, -1 none passes through it.
int SplitLinkAt(TSheetRecord* sheet, uint32_t point);


// Number of segment ends at the point.
int CountLinkEnds(const TSheetRecord* sheet, uint32_t point);

// Some connection with index first..last has an end at the point; selected
// connections count at their dragged position while the selection is dragged.
bool IsLinkEndInRange(const TSheetRecord* sheet, uint32_t point, int32_t first, int32_t last);


// Chain of the first connection (over all sheets) of the net, 65535 when none;
// and setting the chain of every connection of the net.
int32_t GetConnectionState(int32_t net);
void SetConnectionState(int32_t net, int32_t value);

// Appends a segment to the sheet's connections with PointA before PointB,
// Selected 0 and the numbers left for indexing: false when the list is full.
bool AppendLink(TSheetRecord* sheet, uint32_t a, uint32_t b);

// The steps of laying a connection, called by the mouse handlers with the
// pointer's cell. Down starts the gesture (cell inside the sheet only).
void LayingDown(const char* sheetName, const TSheetRecord* sheet, int32_t cellX, int32_t cellY);
void StraightMove(const char* sheetName, const TSheetRecord* sheet, int32_t cellX, int32_t cellY, uint8_t& changed);
int StraightUp(const char* sheetName, TSheetRecord* sheet, int32_t x, int32_t y, uint8_t& changed);
void RoutedMove(const char* sheetName, TSheetRecord* sheet, int32_t cellX, int32_t cellY, char* hint,
                int16_t& cursor, uint8_t& changed);
int RoutedUp(const char* sheetName, TSheetRecord* sheet, int32_t x, int32_t y, uint8_t& changed);

// Copies text into a 261-byte buffer, cut to 260 characters.
void CopyText(char* buffer, const std::string& text);

}  // namespace zo::kernel
