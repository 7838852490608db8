#include "TransferModule.h"

extern "C" __attribute__((visibility("default"))) const TransferFunctions*
PagelornTransferFunctions() {
    // The module's own CurlTransportFactory: every symbol of the module but the entry point is
    // hidden, so it never meets the core's.
    static const TransferFunctions table{.transportFactory = &CurlTransportFactory};
    return &table;
}
