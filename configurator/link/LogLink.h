#pragma once
// The log panel's link to the logging library: the record pointer it follows
// (the program's LogsOptionsPtr, or a test's record) and the one call the
// panel makes, RenderLogView.

#include "common/abi/LogsOptions.h"

class QImage;

namespace zo::configurator {

class TLogLink {
public:
    // Follows the pointer variable: binding and unbinding show at once.
    explicit TLogLink(TLogsOptions* const& record) : record_(record) {}

    bool Bound() const { return record_ != nullptr && record_->RenderLogView != nullptr; }
    // RenderLogView(view, graphic): the library's answer; picture receives the
    // library's own picture (never freed by the caller), nil when none.
    int Render(TLogView& view, const QImage*& picture) const;

private:
    TLogsOptions* const& record_;
};

// The link over the program's own binding.
TLogLink& ProgramLogLink();

}  // namespace zo::configurator
