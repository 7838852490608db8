#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "PublishTransport.h"

namespace publishtest {

// A server in memory: its target folder's files, and every operation in the order they ran.
struct FakeServer {
    std::mutex mutex;
    std::map<std::string, std::string> files;
    std::vector<std::string> log;   // "upload PATH", "rename TEMP PATH", "remove PATH"
    TransportResult openResult;     // what logging in answers
    std::set<std::string> failing;  // uploads of these paths fail
    int opened = 0;
    int reads = 0;
    // Each file's version, counted up on every write, stands for its time.
    std::map<std::string, std::int64_t> versions;

    // Another program writes a file there.
    void Put(const std::string& path, std::string bytes) {
        std::lock_guard lock(mutex);
        files[path] = std::move(bytes);
        ++versions[path];
    }
};

class FakeTransport final : public CPublishTransport {
public:
    explicit FakeTransport(std::shared_ptr<FakeServer> server) : server(std::move(server)) {}

    TransportResult Open() override {
        std::lock_guard lock(server->mutex);
        ++server->opened;
        return server->openResult;
    }
    std::string Fingerprint() const override { return "SHA256:fake"; }
    TransportResult Read(const std::string& path, std::string& bytes) override {
        std::lock_guard lock(server->mutex);
        const auto it = server->files.find(path);
        if (it == server->files.end()) return {TransportFailure::Missing, "not there", {}};
        bytes = it->second;
        ++server->reads;
        return {};
    }
    TransportResult Stat(const std::string& path, RemoteFileStamp& stamp) override {
        std::lock_guard lock(server->mutex);
        const auto it = server->files.find(path);
        if (it == server->files.end()) return {TransportFailure::Missing, "not there", {}};
        stamp = {it->second.size(), server->versions[path]};
        return {};
    }
    TransportResult ListTarget(std::vector<std::string>& names) override {
        std::lock_guard lock(server->mutex);
        names.clear();
        for (const auto& [path, bytes] : server->files)
            names.push_back(path.substr(0, path.find('/')));
        return {};
    }
    TransportResult Upload(const UploadSource& source, const std::string& path,
                           const std::string& temporaryPath,
                           const TransferProgressFn& progress) override {
        std::string bytes = source.bytes;
        if (source.fromFile) {
            std::ifstream in(source.file, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        if (progress && !progress(bytes.size())) return {TransportFailure::Cancelled, {}, {}};
        std::lock_guard lock(server->mutex);
        if (server->failing.contains(path)) return {TransportFailure::File, "refused", {}};
        server->log.push_back("upload " + temporaryPath);
        server->log.push_back("rename " + temporaryPath + " " + path);
        server->files[path] = std::move(bytes);
        ++server->versions[path];
        return {};
    }
    TransportResult Remove(const std::string& path) override {
        std::lock_guard lock(server->mutex);
        server->log.push_back("remove " + path);
        server->files.erase(path);
        return {};
    }

private:
    std::shared_ptr<FakeServer> server;
};

inline TransportFactory FakeFactory(const std::shared_ptr<FakeServer>& server) {
    return [server] { return std::make_unique<FakeTransport>(server); };
}

}  // namespace publishtest
