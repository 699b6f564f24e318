// Stand-in for the product's routing library ZoTraceSchem (connection routing on a sheet).
//
// One router serves the whole process; the entries of the record drive it.
// No exception leaves an entry: each runs behind the barrier.

#include "TraceRouter.h"

#include "common/SlotBarrier.h"
#include "common/abi/TraceOptions.h"

#include <cstdint>
#include <mutex>
#include <new>

namespace {

std::mutex gLock;

zo::trace::Router& router() {
    static zo::trace::Router instance;
    return instance;
}

template <typename Call>
int32_t guarded(Call call) {
    std::lock_guard<std::mutex> lock(gLock);
    return call(router());
}

// An entry of the record behind the barrier: a failed allocation (or anything
// else thrown) answers kTraceOutOfMemory.
template <zo::SlotName Name, auto Routine, auto... Failure>
constexpr auto Guarded = &zo::SlotBarrier<zo::ReportSlotFailureToStderr, Name, Routine, Failure...>::Call;

}  // namespace

extern "C" {

static int32_t TraceSetSheetSize(int32_t width, int32_t height) {
    return guarded([&](zo::trace::Router& r) { return r.setSheetSize(width, height); });
}

static int32_t TraceAddBlockObstacle(uint32_t topLeft, uint32_t bottomRight) {
    return guarded([&](zo::trace::Router& r) { return r.addBlock(topLeft, bottomRight); });
}

static int32_t TraceAddLineObstacle(uint32_t pointA, uint32_t pointB) {
    return guarded([&](zo::trace::Router& r) { return r.addLine(pointA, pointB); });
}

static int32_t TraceSetStartPoint(uint32_t point) {
    return guarded([&](zo::trace::Router& r) { return r.setStart(point); });
}

static int32_t TraceSetEndPoint(uint32_t point) {
    return guarded([&](zo::trace::Router& r) { return r.setEnd(point); });
}

static int32_t TraceMarkCell(uint32_t point, uint32_t weight) {
    // The weight is a byte passed in a 32-bit slot: only its low byte counts.
    return guarded([&](zo::trace::Router& r) { return r.markCell(point, uint8_t(weight & 0xFFu)); });
}

static int32_t TraceFindRoute() {
    return guarded([](zo::trace::Router& r) { return r.findRoute(); });
}

static int32_t TraceGetRoutePointCount() {
    return guarded([](zo::trace::Router& r) { return r.segmentCount(); });
}

// The segment stays valid until the next SetSheetSize or FindRoute.
static const TTraceSegment* TraceGetRoutePoint(int32_t index) {
    std::lock_guard<std::mutex> lock(gLock);
    return router().segment(index);
}

static TTraceOptions gTraceOptions = {
    "ZoTraceSchem: connection router",
    Guarded<"SetSheetSize", TraceSetSheetSize, kTraceOutOfMemory>,
    Guarded<"AddBlockObstacle", TraceAddBlockObstacle, kTraceOutOfMemory>,
    Guarded<"AddLineObstacle", TraceAddLineObstacle, kTraceOutOfMemory>,
    Guarded<"SetStartPoint", TraceSetStartPoint, kTraceOutOfMemory>,
    Guarded<"SetEndPoint", TraceSetEndPoint, kTraceOutOfMemory>,
    Guarded<"MarkCell", TraceMarkCell, kTraceOutOfMemory>,
    Guarded<"FindRoute", TraceFindRoute, kTraceOutOfMemory>,
    Guarded<"GetRoutePointCount", TraceGetRoutePointCount, kTraceOutOfMemory>,
    Guarded<"GetRoutePoint", TraceGetRoutePoint, nullptr>,
    {0, 0, 0, 0},
};

__attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    if (record) *record = &gTraceOptions;
    if (size) *size = int32_t(sizeof(TTraceOptions));
}

}  // extern "C"
