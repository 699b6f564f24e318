// Stand-in for the product's routing library ZoTraceSchem (connection routing on a sheet).
//
// One router serves the whole process; the entries of the record drive it.
// No exception leaves an entry: a failed allocation answers kTraceOutOfMemory.

#include "TraceRouter.h"

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
    try {
        return call(router());
    } catch (const std::bad_alloc&) {
        return kTraceOutOfMemory;
    } catch (...) {
        return kTraceOutOfMemory;
    }
}

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
    TraceSetSheetSize,
    TraceAddBlockObstacle,
    TraceAddLineObstacle,
    TraceSetStartPoint,
    TraceSetEndPoint,
    TraceMarkCell,
    TraceFindRoute,
    TraceGetRoutePointCount,
    TraceGetRoutePoint,
    {0, 0, 0, 0},
};

__attribute__((visibility("default"))) void GetInfo(void** record, int32_t* size) {
    if (record) *record = &gTraceOptions;
    if (size) *size = int32_t(sizeof(TTraceOptions));
}

}  // extern "C"
