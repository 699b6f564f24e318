// The drag payload carries the drag object's address and nothing else.
#include "common/abi/DragObject.h"
#include "configurator/windows/DragMimeType.h"

#include <gtest/gtest.h>

#include <QMimeData>

using namespace zo::configurator;

TEST(DragMimeType, CarriesTheObjectAddressAndRefusesOtherPayloads) {
    TMyDragObject object{};
    QMimeData data;
    data.setData(kDragObjectMimeType, packDragObject(&object));
    EXPECT_EQ(unpackDragObject(&data), &object);

    QMimeData other;
    other.setText("TMyDragObject");
    EXPECT_EQ(unpackDragObject(&other), nullptr);
    QMimeData shortPayload;
    shortPayload.setData(kDragObjectMimeType, QByteArray("abc"));
    EXPECT_EQ(unpackDragObject(&shortPayload), nullptr);
    EXPECT_EQ(unpackDragObject(nullptr), nullptr);
}
