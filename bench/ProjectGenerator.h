#pragma once
// Builds large projects the way an engineer would, through the kernel's own
// slots: a new project for a shipped device, sheets added and enlarged, blocks
// of the element library dropped row by row with the element library's drag
// object, and connections laid with the pointer in straight-connection mode
// (output to the next block's first input in each row, and every fifth pair a
// branch down to the second input as well, about 1.5 connections per block).

#include "BenchHost.h"

#include <string>

namespace zo::bench {

struct GeneratedProject {
    int sheets = 0;
    int blocks = 0;
    int links = 0;
    double seconds = 0;  // building and saving
};

// Builds a project of `blocks` blocks on sheets of at most `perSheet` blocks
// in the (empty) kernel model for the device and saves it at path. Throws
// std::runtime_error naming the slot that refused.
GeneratedProject GenerateProject(KernelHost& host, int blocks, int perSheet, const std::string& path,
                                 const char* device = "OrvantaPLC.dev");

}  // namespace zo::bench
