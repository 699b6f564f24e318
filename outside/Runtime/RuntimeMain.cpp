// Stand-in for the product's controller runtime program (the device's Program, started as "<Program> <Name>.cfg").
//
// It loads the configuration file named on its command line, checks its full
// layout, holds one value per net (all 0 at start) and serves them on the
// controller's address from the file's device header with the protocol of
// common/abi/RuntimeProtocol.h, until it is stopped (SIGTERM or SIGINT).
// It executes no FBD block: values change only when a client writes them.
//
// Exit codes: 0 stopped; 1 bad command line; 2 the file cannot be read;
// 3 the file's layout is wrong; 4 the address cannot be served.

#include "ConfigImage.h"
#include "DeviceHeader.h"
#include "RuntimeServer.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

std::string programName(const char* argv0) {
    const std::string path = argv0 ? argv0 : "runtime";
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string name = programName(argc > 0 ? argv[0] : nullptr);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <configuration file>\n", name.c_str());
        return 1;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "%s: cannot read \"%s\"\n", name.c_str(), argv[1]);
        return 2;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    zo::runtime::ConfigImage image;
    std::string error;
    if (!zo::runtime::ParseConfig(bytes, zo::runtime::kDeviceHeader, image, error)) {
        std::fprintf(stderr, "%s: \"%s\": %s\n", name.c_str(), argv[1], error.c_str());
        return 3;
    }

    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    zo::runtime::RuntimeServer server(image.nets);
    if (!server.Listen(image.address, image.port, error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return 4;
    }
    std::printf("%s: %u nets, %u FBD blocks, %u channels; serving on %s:%u\n", name.c_str(), image.nets,
                image.blocks, image.channels, image.address.c_str(), unsigned(image.port));
    std::fflush(stdout);
    server.Run(g_stop);
    return 0;
}
