#include "SharedLibrary.h"

#include <dlfcn.h>

namespace {

std::string LoaderError(const std::string& fallback) {
    const char* message = ::dlerror();
    return message != nullptr ? std::string(message) : fallback;
}

}  // namespace

CSharedLibrary CSharedLibrary::Load(const std::filesystem::path& path, std::string& error) {
    CSharedLibrary library;
    // Its symbols stay its own: the module's copies of shared code never stand in for the
    // program's.
    library.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle == nullptr) error = LoaderError("the library cannot be loaded");
    return library;
}

void* CSharedLibrary::Symbol(const char* name, std::string& error) const {
    if (handle == nullptr) {
        error = "the library is not loaded";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(handle, name);
    if (address == nullptr) error = LoaderError(std::string("no symbol ") + name);
    return address;
}
