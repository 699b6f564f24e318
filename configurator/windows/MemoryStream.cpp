#include "configurator/windows/MemoryStream.h"

#include <cstring>
#include <limits>

namespace zo::configurator {

TZoMemoryStream::TZoMemoryStream() : TZoMemoryStream(std::string()) {}

TZoMemoryStream::TZoMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {
    stream_.Context = this;
    stream_.Write = &TZoMemoryStream::Write;
    stream_.Read = &TZoMemoryStream::Read;
    stream_.Position = &TZoMemoryStream::Tell;
    stream_.Size = &TZoMemoryStream::size;
}

bool TZoMemoryStream::Seek(int32_t position) {
    if (position < 0 || size_t(position) > bytes_.size()) return false;
    position_ = position;
    return true;
}

int32_t TZoMemoryStream::Write(TZoStream* stream, const void* data, int32_t size) {
    auto* self = static_cast<TZoMemoryStream*>(stream->Context);
    if (size < 0 || (size > 0 && !data)) return -1;
    const size_t end = size_t(self->position_) + size_t(size);
    if (end > size_t(std::numeric_limits<int32_t>::max())) return -1;
    if (end > self->bytes_.size()) self->bytes_.resize(end);
    if (size > 0) std::memcpy(self->bytes_.data() + self->position_, data, size_t(size));
    self->position_ = int32_t(end);
    return size;
}

int32_t TZoMemoryStream::Read(TZoStream* stream, void* data, int32_t size) {
    auto* self = static_cast<TZoMemoryStream*>(stream->Context);
    if (size < 0 || (size > 0 && !data)) return -1;
    const size_t left = self->bytes_.size() - size_t(self->position_);
    const size_t n = std::min(left, size_t(size));
    if (n > 0) std::memcpy(data, self->bytes_.data() + self->position_, n);
    self->position_ += int32_t(n);
    return int32_t(n);
}

int32_t TZoMemoryStream::Tell(TZoStream* stream) { return static_cast<TZoMemoryStream*>(stream->Context)->position_; }

int32_t TZoMemoryStream::size(TZoStream* stream) {
    return int32_t(static_cast<TZoMemoryStream*>(stream->Context)->bytes_.size());
}

bool SeekStream(TZoStream* stream, int32_t position) {
    if (!stream || stream->Read != &TZoMemoryStream::Read || !stream->Context) return false;
    return static_cast<TZoMemoryStream*>(stream->Context)->Seek(position);
}

}  // namespace zo::configurator
