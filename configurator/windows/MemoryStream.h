#pragma once
// TZoMemoryStream: a TZoStream over bytes held in memory, with a position that
// can be set. The dock layouts and the floating registry are written into and
// read from such streams; SeekStream puts a reader back where an item began.

#include "common/abi/Stream.h"

#include <cstdint>
#include <string>

namespace zo::configurator {

class TZoMemoryStream {
public:
    TZoMemoryStream();
    explicit TZoMemoryStream(std::string bytes);
    TZoMemoryStream(const TZoMemoryStream&) = delete;
    TZoMemoryStream& operator=(const TZoMemoryStream&) = delete;

    TZoStream* Stream() { return &stream_; }
    const std::string& Bytes() const { return bytes_; }
    int32_t Position() const { return position_; }
    // false (position unchanged) outside 0..size.
    bool Seek(int32_t position);

private:
    static int32_t Write(TZoStream* stream, const void* data, int32_t size);
    static int32_t Read(TZoStream* stream, void* data, int32_t size);
    static int32_t Tell(TZoStream* stream);
    static int32_t size(TZoStream* stream);
    friend bool SeekStream(TZoStream* stream, int32_t position);

    TZoStream stream_{};
    std::string bytes_;
    int32_t position_ = 0;
};

// Sets the position of a stream that a TZoMemoryStream owns; false for any
// other stream (its owner gave no way to set it) or a position outside it.
bool SeekStream(TZoStream* stream, int32_t position);

}  // namespace zo::configurator
