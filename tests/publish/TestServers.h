#pragma once

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace publishtest {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs a program to its end, its output into `log`; its exit status.
inline int RunProgram(const std::vector<std::string>& arguments, const fs::path& log) {
    std::vector<std::string> copy = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copy) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A port on 127.0.0.1 that nobody listens on right now.
inline int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

inline bool Listening(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

inline std::string CurrentUser() {
    const passwd* account = getpwuid(getuid());
    return account != nullptr ? account->pw_name : "";
}

// A server program started in the background, ended with its whole process tree.
class ServerProcess {
public:
    ServerProcess() = default;
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess() { Kill(); }

    bool Start(const std::vector<std::string>& arguments, const fs::path& log, int port) {
        std::vector<std::string> copy = arguments;
        std::vector<char*> argv;
        for (std::string& argument : copy) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            pid = -1;
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Listening(port)) {
            if (std::chrono::steady_clock::now() > deadline ||
                waitpid(pid, nullptr, WNOHANG) != 0) {
                Kill();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Ends the server and every process it started (the sessions) at once, as a crash would.
    void Kill() {
        if (pid <= 0) return;
        std::vector<pid_t> tree{pid};
        for (std::size_t i = 0; i < tree.size(); ++i)
            for (const pid_t child : ChildrenOf(tree[i])) tree.push_back(child);
        for (const pid_t member : tree) ::kill(member, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

private:
    static std::vector<pid_t> ChildrenOf(pid_t parent) {
        std::vector<pid_t> children;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator("/proc", error)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const std::string stat = ReadFile(entry.path() / "stat");
            const std::size_t close = stat.rfind(')');
            if (close == std::string::npos) continue;
            // After the name in parentheses: the state, then the parent's id.
            const std::size_t from = stat.find(' ', close + 2);
            if (from != std::string::npos && std::atoi(stat.c_str() + from + 1) == parent)
                children.push_back(static_cast<pid_t>(std::atoi(name.c_str())));
        }
        return children;
    }

    pid_t pid = -1;
};

// An OpenSSH server on 127.0.0.1 and a free port, with a host key and a user key made for it,
// letting in the test's own user with that key.
class SshServer {
public:
    // "" when it runs, else why it cannot. `settings`: more lines of sshd_config.
    std::string Start(const fs::path& folder, const std::string& settings = {}) {
        this->folder = folder;
        if (!fs::exists("/usr/sbin/sshd") || !fs::exists("/usr/bin/ssh-keygen"))
            return "OpenSSH's server is not installed (openssh-server)";
        if (getuid() == 0) {
            // The server's privilege separation needs this folder when it runs as root.
            std::error_code error;
            fs::create_directories("/run/sshd", error);
        }
        const fs::path log = folder / "sshd.log";
        if (!fs::exists(folder / "host_key") &&
            (RunProgram({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f",
                         (folder / "host_key").string()},
                        log) != 0 ||
             RunProgram({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f",
                         (folder / "user_key").string()},
                        log) != 0))
            return "ssh-keygen failed";
        fs::copy_file(folder / "user_key.pub", folder / "authorized_keys",
                      fs::copy_options::overwrite_existing);
        if (port == 0) port = FreePort();
        std::ofstream(folder / "sshd_config")
            << "Port " << port << "\nListenAddress 127.0.0.1\nHostKey "
            << (folder / "host_key").string() << "\nPidFile " << (folder / "sshd.pid").string()
            << "\nAuthorizedKeysFile " << (folder / "authorized_keys").string()
            << "\nStrictModes no\nUsePAM no\nPasswordAuthentication yes\n"
               "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
               "Subsystem sftp internal-sftp\nLogLevel ERROR\n"
            << settings;
        if (!process.Start({"/usr/sbin/sshd", "-D", "-e", "-f", (folder / "sshd_config").string()},
                           log, port))
            return "sshd did not start: " + ReadFile(log);
        return {};
    }
    void Kill() { process.Kill(); }

    int Port() const { return port; }
    // The line known_hosts holds for this server.
    std::string KnownHostsLine() const {
        const std::string key = ReadFile(folder / "host_key.pub");
        return "[127.0.0.1]:" + std::to_string(port) + " " + key.substr(0, key.rfind(' ')) + "\n";
    }
    // The host key's fingerprint as ssh-keygen -l shows it.
    std::string Fingerprint() const {
        const fs::path out = folder / "fingerprint.txt";
        fs::remove(out);
        RunProgram({"/usr/bin/ssh-keygen", "-l", "-f", (folder / "host_key.pub").string()}, out);
        const std::string text = ReadFile(out);
        const std::size_t from = text.find("SHA256:");
        return from == std::string::npos ? "" : text.substr(from, text.find(' ', from) - from);
    }

private:
    fs::path folder;
    int port = 0;
    ServerProcess process;
};

// Every file under a folder, by its "/" separated path.
inline std::map<std::string, std::string> FilesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).generic_string()] =
                ReadFile(entry.path());
    return files;
}

}  // namespace publishtest

namespace publishtest {

// vsftpd on 127.0.0.1 and a free port, speaking FTP with explicit TLS and a self-signed
// certificate made for it; it runs as the test's user and lets "anonymous" write into `target`.
class FtpsServer {
public:
    // An empty password: anonymous logins need none; else only that one is let in.
    std::string Start(const fs::path& folder, const fs::path& target,
                      const std::string& password = {}) {
        if (!fs::exists("/usr/sbin/vsftpd") || !fs::exists("/usr/bin/openssl"))
            return "vsftpd or openssl is not installed";
        const fs::path log = folder / "vsftpd.log";
        fs::create_directories(folder / "empty");
        if (!fs::exists(folder / "cert.pem") &&
            RunProgram({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                        "-keyout", (folder / "key.pem").string(), "-out",
                        (folder / "cert.pem").string(), "-days", "2", "-subj", "/CN=127.0.0.1"},
                       log) != 0)
            return "openssl could not make a certificate";
        port = FreePort();
        std::ofstream(folder / "passwords") << password << "\n";
        std::ofstream(folder / "vsftpd.conf")
            << "listen=YES\nlisten_address=127.0.0.1\nlisten_port=" << port
            << "\nbackground=NO\nrun_as_launching_user=YES\nanonymous_enable=YES\n"
            << (password.empty() ? "no_anon_password=YES\n"
                                 : "no_anon_password=NO\nsecure_email_list_enable=YES\n"
                                   "email_password_file=" +
                                       (folder / "passwords").string() + "\n")
            << "anon_root=" << target.string()
            << "\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
               "anon_other_write_enable=YES\nanon_umask=022\nwrite_enable=YES\nlocal_enable=NO\n"
               "pasv_enable=YES\npasv_address=127.0.0.1\nssl_enable=YES\nallow_anon_ssl=YES\n"
               "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\nrequire_ssl_reuse=NO\n"
               "rsa_cert_file="
            << (folder / "cert.pem").string()
            << "\nrsa_private_key_file=" << (folder / "key.pem").string()
            << "\nseccomp_sandbox=NO\nsecure_chroot_dir=" << (folder / "empty").string()
            << "\nvsftpd_log_file=" << log.string() << "\n";
        if (!process.Start({"/usr/sbin/vsftpd", (folder / "vsftpd.conf").string()}, log, port))
            return "vsftpd did not start: " + ReadFile(log);
        return {};
    }
    void Kill() { process.Kill(); }
    int Port() const { return port; }

private:
    int port = 0;
    ServerProcess process;
};

}  // namespace publishtest
