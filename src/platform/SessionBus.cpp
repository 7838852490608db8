#include "SessionBus.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool Has(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool ExecutableOnPath(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        // An empty entry is the current folder.
        const std::string candidate =
            (folder.empty() ? std::string(".") : std::string(folder)) + "/" + std::string(program);
        if (::access(candidate.c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) return false;
        folders.remove_prefix(colon + 1);
    }
}

}  // namespace

bool SessionBusUnreachable() {
    if (Has("DBUS_SESSION_BUS_ADDRESS")) return false;
    if (Has("XDG_RUNTIME_DIR")) {
        const std::string socket = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/bus";
        if (::access(socket.c_str(), F_OK) == 0) return false;
    }
    return !ExecutableOnPath("dbus-launch");
}
