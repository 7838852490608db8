#pragma once

#include "CurlTransport.h"

// SFTP connections through libssh2 itself rather than through libcurl: libcurl's SFTP upload
// polls its socket without waiting while the server answers, which on a machine with few cores
// takes the time the server needs, and it sends a removal before every rename. Here each request
// waits on the socket, and uploads go through a channel of their own (SftpUploadChannel.h) that
// keeps many files on the way at once.
TransportFactory SftpTransportFactory(const CurlTransportOptions& options);
