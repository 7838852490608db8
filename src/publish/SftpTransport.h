#pragma once

#include "CurlTransport.h"

// SFTP connections through libssh2 itself rather than through libcurl: libcurl's SFTP upload
// polls its socket without waiting while the server answers, which on a machine with few cores
// takes the time the server needs, and it sends a removal before every rename. Here each request
// waits on the socket, and a file is renamed into place at once, removing the old one only when
// the server will not rename over it.
TransportFactory SftpTransportFactory(const CurlTransportOptions& options);
