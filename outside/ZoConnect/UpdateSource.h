#pragma once
// Where the connection library takes updates from: a folder (a system path),
// a "file:" address or an "http:" / "https:" address. Every file of an update
// is named relative to the source: "update.xml" (the list of updates) and
// "<entry>/<file>" for the files of an entry.

#include "common/abi/ProxySettings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zo::connect {

enum class FetchResult {
    Ok,
    NoConnection,  // the source itself cannot be reached (no folder, no server)
    Missing,       // the source answers, but has no such file
    Refused,       // the name or the file is not one an update may name, or it is larger than the bound
    NotWritten,    // the receiver of the bytes refused them (its file could not be written)
};

// No file of an update is larger: a larger one is refused, whatever the source.
inline constexpr int64_t kMaxUpdateFileBytes = int64_t(512) * 1024 * 1024;

// Takes the bytes of a file as they arrive; false stops the transfer.
using FetchSink = std::function<bool(const char* data, size_t size)>;

class UpdateSource {
public:
    // address: the settings' UpdateSource (Windows-1251); empty: no source.
    UpdateSource(const std::string& address, const configurator::TProxySettings& proxy,
                 int64_t maxFileBytes = kMaxUpdateFileBytes);

    bool Empty() const { return kind_ == Kind::None; }
    // The bytes of the relative file (a name UpdateFiles' ValidEntryPath accepts).
    FetchResult Fetch(const std::string& relative, std::string* bytes) const;
    // The same, handed to sink piece by piece as they arrive (never held
    // whole); a file past the bound ends the transfer as Refused.
    FetchResult Fetch(const std::string& relative, const FetchSink& sink) const;

private:
    enum class Kind { None, Folder, Http };
    FetchResult fetchFile(const std::string& relative, const FetchSink& sink) const;
    FetchResult fetchHttp(const std::string& relative, const FetchSink& sink) const;

    Kind kind_ = Kind::None;
    std::string root_;  // native folder (UTF-8, '/') or the address without a trailing "/"
    configurator::TProxySettings proxy_;
    int64_t maxFileBytes_;
};

}  // namespace zo::connect
