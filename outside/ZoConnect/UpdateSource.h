#pragma once
// Where the connection library takes updates from: a folder (a system path),
// a "file:" address or an "http:" / "https:" address. Every file of an update
// is named relative to the source: "update.xml" (the list of updates) and
// "<entry>/<file>" for the files of an entry.

#include "common/abi/ProxySettings.h"

#include <string>

namespace zo::connect {

enum class FetchResult {
    Ok,
    NoConnection,  // the source itself cannot be reached (no folder, no server)
    Missing,       // the source answers, but has no such file
    Refused,       // the name or the file is not one an update may name
};

class UpdateSource {
public:
    // address: the settings' UpdateSource (Windows-1251); empty: no source.
    UpdateSource(const std::string& address, const configurator::TProxySettings& proxy);

    bool Empty() const { return kind_ == Kind::None; }
    // The bytes of the relative file (a name UpdateFiles' ValidEntryPath accepts).
    FetchResult Fetch(const std::string& relative, std::string* bytes) const;

private:
    enum class Kind { None, Folder, Http };
    FetchResult fetchFile(const std::string& relative, std::string* bytes) const;
    FetchResult fetchHttp(const std::string& relative, std::string* bytes) const;

    Kind kind_ = Kind::None;
    std::string root_;  // native folder (UTF-8, '/') or the address without a trailing "/"
    configurator::TProxySettings proxy_;
};

}  // namespace zo::connect
