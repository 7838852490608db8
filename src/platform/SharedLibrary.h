#pragma once

#include <filesystem>
#include <string>

// A shared library loaded while the program runs, for code it needs only sometimes. A library
// stays loaded until the process ends: libraries that start threads of their own (glib's among
// them) cannot be unloaded safely, and a program loads each of its modules at most once.
class CSharedLibrary {
public:
    // Loads the library at `path` and resolves all its symbols at once, so that a library that
    // does not fit the system fails here and not in the middle of its work. On failure the
    // result is not loaded and `error` holds the loader's message.
    static CSharedLibrary Load(const std::filesystem::path& path, std::string& error);

    bool IsLoaded() const { return handle != nullptr; }
    // The address of the exported symbol `name`; nullptr, with `error` set, when it has none.
    void* Symbol(const char* name, std::string& error) const;

private:
    void* handle = nullptr;
};
