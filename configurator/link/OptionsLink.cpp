#include "configurator/link/OptionsLink.h"

#include "configurator/link/ProjectSession.h"

namespace zo::configurator {

void TOptionsLink::Bind(const TProjectSession& session) { record_ = session.Record(); }

int32_t TOptionsLink::GetStructDescription(const std::string& descriptionPath, void** structRef, int32_t* size) const {
    if (!record_ || !record_->GetStructDescription) return -1;
    return record_->GetStructDescription(descriptionPath.c_str(), structRef, size);
}

}  // namespace zo::configurator
