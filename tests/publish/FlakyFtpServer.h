#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace publishtest {

// A plain FTP server on 127.0.0.1 that speaks just enough for an upload (login, folders, passive
// data connections, STOR, RNFR/RNTO) and answers the first `failures` STORs with `reply`: 425
// without taking the data connection, 426 after taking the data and throwing it away.
class FlakyFtpServer {
public:
    FlakyFtpServer(int reply, int failures) : reply(reply), failuresLeft(failures) {
        listener = Listen(port);
        if (listener >= 0) acceptor = std::thread([this] { AcceptLoop(); });
    }
    ~FlakyFtpServer() {
        stopping = true;
        ::shutdown(listener, SHUT_RDWR);
        if (acceptor.joinable()) acceptor.join();
        for (const int control : controls) ::shutdown(control, SHUT_RDWR);
        ::close(listener);
        for (std::thread& session : sessions) session.join();
        for (const int control : controls) ::close(control);
    }
    FlakyFtpServer(const FlakyFtpServer&) = delete;
    FlakyFtpServer& operator=(const FlakyFtpServer&) = delete;

    bool Running() const { return listener >= 0; }
    int Port() const { return port; }
    std::map<std::string, std::string> Files() {
        std::lock_guard lock(mutex);
        return files;
    }
    int Stores() {
        std::lock_guard lock(mutex);
        return stores;
    }

private:
    static int Listen(int& boundPort) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(s, 4) != 0 ||
            ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            if (s >= 0) ::close(s);
            return -1;
        }
        boundPort = ntohs(address.sin_port);
        return s;
    }

    void AcceptLoop() {
        for (;;) {
            const int control = ::accept(listener, nullptr, nullptr);
            if (control < 0 || stopping) {
                if (control >= 0) ::close(control);
                return;
            }
            controls.push_back(control);
            sessions.emplace_back([this, control] { Serve(control); });
        }
    }

    static void Send(int s, const std::string& line) {
        const std::string text = line + "\r\n";
        (void)!::write(s, text.data(), text.size());
    }

    static bool ReadLine(int s, std::string& line) {
        line.clear();
        char c = 0;
        while (::read(s, &c, 1) == 1) {
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return true;
            }
            line += c;
        }
        return false;
    }

    void Serve(int control) {
        Send(control, "220 ready");
        int data = -1;
        std::string renaming;
        std::string line;
        while (ReadLine(control, line)) {
            const std::string command = line.substr(0, line.find(' '));
            const std::string argument =
                line.size() > command.size() ? line.substr(command.size() + 1) : "";
            if (command == "USER") {
                Send(control, "331 password");
            } else if (command == "PASS") {
                Send(control, "230 in");
            } else if (command == "PWD") {
                Send(control, "257 \"/\"");
            } else if (command == "CWD" || command == "RNTO") {
                if (command == "RNTO") {
                    std::lock_guard lock(mutex);
                    files[argument] = files[renaming];
                    files.erase(renaming);
                }
                Send(control, "250 done");
            } else if (command == "MKD") {
                Send(control, "257 made");
            } else if (command == "TYPE") {
                Send(control, "200 binary");
            } else if (command == "RNFR") {
                renaming = argument;
                Send(control, "350 go on");
            } else if (command == "EPSV") {
                int dataPort = 0;
                if (data >= 0) ::close(data);
                data = Listen(dataPort);
                Send(control, "229 passive (|||" + std::to_string(dataPort) + "|)");
            } else if (command == "STOR") {
                Store(control, data, argument);
                data = -1;
            } else if (command == "QUIT") {
                Send(control, "221 bye");
                break;
            } else {
                Send(control, "502 not here");
            }
        }
        if (data >= 0) ::close(data);
    }

    void Store(int control, int data, const std::string& name) {
        bool fail = false;
        {
            std::lock_guard lock(mutex);
            ++stores;
            fail = failuresLeft > 0;
            if (fail) --failuresLeft;
        }
        if (fail && reply == 425) {
            ::close(data);
            Send(control, "425 can't open data connection");
            return;
        }
        const int connection = ::accept(data, nullptr, nullptr);
        ::close(data);
        Send(control, "150 send it");
        std::string bytes;
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(connection, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<std::size_t>(got));
        ::close(connection);
        if (fail) {
            Send(control, std::to_string(reply) + " connection closed; transfer aborted");
            return;
        }
        {
            std::lock_guard lock(mutex);
            files[name] = bytes;
        }
        Send(control, "226 stored");
    }

    const int reply;
    int port = 0;
    int listener = -1;
    std::atomic<bool> stopping{false};
    std::thread acceptor;
    std::vector<int> controls;
    std::vector<std::thread> sessions;
    std::mutex mutex;
    int failuresLeft;
    int stores = 0;
    std::map<std::string, std::string> files;
};

}  // namespace publishtest
