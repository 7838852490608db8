#pragma once

#include <functional>
#include <string>

// A non-blocking TCP connection for protocol libraries that drive the socket themselves
// (libssh2): they are handed the descriptor and say which way they wait.
struct TcpConnectResult {
    enum class Outcome { Connected, HostUnknown, Refused, Stopped };
    Outcome outcome = Outcome::Refused;
    int socket = -1;
    // Why not, for HostUnknown and Refused.
    std::string reason;
};

// Connects to each address of `host` in turn (TCP_NODELAY set), waiting at most `limitMs` for
// each and asking `stop` every `sliceMs`.
TcpConnectResult ConnectTcp(const std::string& host, const std::string& port, int sliceMs,
                            int limitMs, const std::function<bool()>& stop);

enum class SocketWait { Ready, Idle, Failed };
// Waits at most `sliceMs` until the socket can be read (`in`) or written (`out`).
SocketWait WaitOnSocket(int socket, bool in, bool out, int sliceMs);

// Ends both directions at once, so that a peer that stopped answering cannot hold us.
void ShutdownSocket(int socket);
void CloseSocket(int socket);
