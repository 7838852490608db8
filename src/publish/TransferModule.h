#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "CurlTransport.h"

// The connections to a server need libcurl, libssh2 and OpenSSL's TLS, which a program that
// only shows, edits or exports a website never uses. They live in a module of their own
// (libpagelorn_transfer.so beside the picture module), which CurlTransportFactory loads the
// first time a publish or a connection test asks for it, once for the whole process. When it
// cannot be loaded, the transports of the factory fail to connect and say why, so a publish
// stops before it changes anything.

// Changes whenever the table or CPublishTransport changes: a module of another build is refused.
inline constexpr std::uint32_t kTransferInterface = 3;

struct TransferFunctions {
    std::uint32_t interface = kTransferInterface;
    std::size_t size = sizeof(TransferFunctions);
    TransportFactory (*transportFactory)(const CurlTransportOptions&) = nullptr;
};

// The one symbol the module exports:
// `extern "C" const TransferFunctions* PagelornTransferFunctions()`.
inline constexpr const char* kTransferEntryPoint = "PagelornTransferFunctions";

// Loads the module now, once for the process, so that CurlTransportFactory finds it ready: a
// publish starts this on another thread while it brings the export up to date.
void LoadTransferModule();

// Where the module is looked for: the file PAGELORN_TRANSFER_MODULE names when it is set, else
// the folder of the picture module relative to the program, else (for the tests and a program
// run from another folder of the build) the build tree's.
std::filesystem::path TransferModulePath();
