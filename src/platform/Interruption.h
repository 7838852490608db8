#pragma once

#include <atomic>

// Ctrl+C (SIGINT) and a request to terminate (SIGTERM): once caught, both only set the flag
// below, so that the program can stop at a safe point, tidy up and say what it did.
void CatchInterruptAndTerminate();
// Set once either arrived after CatchInterruptAndTerminate.
const std::atomic<bool>& InterruptRequested();
