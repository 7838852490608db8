#pragma once

#include <string>
#include <utility>

// What an operation that either succeeds or fails with a message reports. Operations that say
// more (which part of a save was written, why a copy failed) extend it with their own fields.
struct Outcome {
    bool ok = false;
    std::string message;  // on failure: what failed and why, naming the file; empty on success

    explicit operator bool() const { return ok; }

    static Outcome Success() { return {true, {}}; }
    static Outcome Failure(std::string why) { return {false, std::move(why)}; }
};
