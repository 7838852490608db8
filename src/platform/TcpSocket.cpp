#include "TcpSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

TcpConnectResult ConnectTcp(const std::string& host, const std::string& port, int sliceMs,
                            int limitMs, const std::function<bool()>& stop) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int failed = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); failed != 0)
        return {TcpConnectResult::Outcome::HostUnknown, -1, ::gai_strerror(failed)};
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);
    std::string reason = "no address";
    for (const addrinfo* at = found; at != nullptr; at = at->ai_next) {
        const int socket = ::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                    at->ai_protocol);
        if (socket < 0) continue;
        int error = ::connect(socket, at->ai_addr, at->ai_addrlen) == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            pollfd descriptor{socket, POLLOUT, 0};
            int waited = 0;
            int ready = 0;
            while (!stop() && waited < limitMs && (ready = ::poll(&descriptor, 1, sliceMs)) <= 0) {
                if (ready < 0 && errno != EINTR) break;
                waited += sliceMs;
            }
            if (stop()) {
                ::close(socket);
                return {TcpConnectResult::Outcome::Stopped, -1, {}};
            }
            socklen_t length = sizeof error;
            if (ready <= 0)
                error = ETIMEDOUT;
            else if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
        if (error == 0) {
            const int on = 1;
            ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return {TcpConnectResult::Outcome::Connected, socket, {}};
        }
        reason = std::strerror(error);
        ::close(socket);
    }
    return {TcpConnectResult::Outcome::Refused, -1, reason};
}

SocketWait WaitOnSocket(int socket, bool in, bool out, int sliceMs) {
    pollfd descriptor{socket, 0, 0};
    if (in) descriptor.events |= POLLIN;
    if (out) descriptor.events |= POLLOUT;
    const int ready = ::poll(&descriptor, 1, sliceMs);
    if (ready > 0) return SocketWait::Ready;
    return ready < 0 && errno != EINTR ? SocketWait::Failed : SocketWait::Idle;
}

void ShutdownSocket(int socket) {
    if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

void CloseSocket(int socket) {
    if (socket >= 0) ::close(socket);
}
