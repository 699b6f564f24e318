#pragma once
// A file name made from free text (a sheet name, say): every character a file
// name cannot hold on the system the projects travel between becomes "_".

#include <string>

namespace zo::platform {

// Each of  " * / : < > ? \ |  becomes "_"; all other characters stay.
std::string SafeFileName(const std::string& name);

}  // namespace zo::platform
