#include "WebsitePublisher.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

// The state the worker threads share while they upload or delete.
class CPublishRun {
public:
    CPublishRun(const PublishParameters& parameters, PublishResult& result,
                CPublishManifest& manifest, std::unique_ptr<CPublishTransport> first)
        : parameters(parameters), result(result), manifest(manifest) {
        transports.push_back(std::move(first));
        progress.bytesTotal = result.plan.bytesToSend;
        progress.filesTotal = result.plan.UploadCount();
        progress.deletionsTotal = result.plan.deletions.size();
    }

    CPublishTransport& First() { return *transports.front(); }

    void Upload(const std::vector<LocalFile>& files) {
        std::atomic<std::size_t> next{0};
        std::vector<std::uint64_t> counted(files.size(), 0);
        RunOnWorkers(files.size(), [&](CPublishTransport& transport) {
            CFileQueue queue(*this, files, next, counted);
            transport.UploadQueued(queue);
        });
    }

    void Delete(const std::vector<std::string>& paths) {
        std::atomic<std::size_t> next{0};
        RunOnWorkers(paths.size(), [&](CPublishTransport& transport) {
            CDeletionQueue queue(*this, paths, next);
            transport.RemoveQueued(queue);
        });
    }

    bool Broken() const { return broken; }
    bool AnyFailed() const { return !result.failures.empty(); }

private:
    // The export files handed out to one connection; `counted` holds the bytes of each file
    // already counted in the progress.
    class CFileQueue final : public CUploadQueue {
    public:
        CFileQueue(CPublishRun& run, const std::vector<LocalFile>& files,
                   std::atomic<std::size_t>& next, std::vector<std::uint64_t>& counted)
            : run(run), files(files), next(next), counted(counted) {}

        bool Next(UploadJob& job) override {
            if (run.Stopping()) return false;
            const std::size_t i = next++;
            if (i >= files.size()) return false;
            job.id = i;
            job.source = {run.parameters.exportFolder / files[i].path, {}, true};
            job.path = files[i].path;
            job.temporaryPath = TemporaryUploadPath(files[i].path);
            return true;
        }
        bool Sent(const UploadJob& job, std::uint64_t sent) override {
            std::uint64_t& before = counted[job.id];
            if (sent > before) {
                std::lock_guard lock(run.mutex);
                run.progress.bytesDone += sent - before;
                before = sent;
                run.Report();
            }
            return !run.Stopping();
        }
        void Finished(const UploadJob& job, const TransportResult& done) override {
            const LocalFile& file = files[job.id];
            const std::uint64_t before = std::min(counted[job.id], file.file.size);
            std::lock_guard lock(run.mutex);
            ++run.progress.filesDone;
            if (done.Ok()) {
                run.progress.bytesDone += file.file.size - before;
                run.manifest.files[file.path] = file.file;
                ++run.result.uploaded;
                run.result.bytesSent += file.file.size;
            } else {
                run.progress.bytesDone -= counted[job.id];
                run.Failed(file.path, done);
            }
            run.Report();
        }

    private:
        CPublishRun& run;
        const std::vector<LocalFile>& files;
        std::atomic<std::size_t>& next;
        std::vector<std::uint64_t>& counted;
    };

    // The manifest's files the export no longer has, handed out to one connection.
    class CDeletionQueue final : public CRemovalQueue {
    public:
        CDeletionQueue(CPublishRun& run, const std::vector<std::string>& paths,
                       std::atomic<std::size_t>& next)
            : run(run), paths(paths), next(next) {}

        bool Next(std::string& path, std::size_t& id) override {
            if (run.Stopping()) return false;
            id = next++;
            if (id >= paths.size()) return false;
            path = paths[id];
            return true;
        }
        void Finished(std::size_t id, const TransportResult& done) override {
            std::lock_guard lock(run.mutex);
            ++run.progress.deletionsDone;
            if (done.Ok()) {
                run.manifest.files.erase(paths[id]);
                ++run.result.deleted;
            } else {
                run.Failed(paths[id], done);
            }
            run.Report();
        }

    private:
        CPublishRun& run;
        const std::vector<std::string>& paths;
        std::atomic<std::size_t>& next;
    };

    bool Stopping() const { return Cancelled(parameters.cancel) || broken; }

    // Runs `work` on up to `connections` threads, each with a connection of its own, while
    // there are `count` items for them; the first connection is the one already open.
    void RunOnWorkers(std::size_t count, const std::function<void(CPublishTransport&)>& work) {
        const std::size_t wanted = std::clamp<std::size_t>(parameters.connections, 1, 16);
        const std::size_t workers = std::min(wanted, count);
        while (transports.size() < workers) transports.push_back(parameters.connect());
        const auto run = [&](CPublishTransport& transport) {
            if (const TransportResult open = transport.Open(); !open.Ok()) {
                // The first connection is open: the others failing only slows the publish.
                if (&transport != transports.front().get()) return;
                std::lock_guard lock(mutex);
                NoteBroken(open);
                return;
            }
            if (!Stopping()) work(transport);
        };
        std::vector<std::jthread> threads;
        for (std::size_t t = 1; t < workers; ++t)
            threads.emplace_back([&, t] { run(*transports[t]); });
        if (workers > 0) run(*transports.front());
    }

    void Failed(const std::string& path, const TransportResult& done) {
        if (done.failure == TransportFailure::Cancelled) return;
        if (done.Fatal()) {
            NoteBroken(done);
            return;
        }
        result.failures.push_back({path, done.message});
    }

    void NoteBroken(const TransportResult& done) {
        if (!broken) result.connection = done;
        broken = true;
    }

    void Report() {
        if (parameters.progress) parameters.progress(progress);
    }

    const PublishParameters& parameters;
    PublishResult& result;
    CPublishManifest& manifest;
    std::vector<std::unique_ptr<CPublishTransport>> transports;
    std::mutex mutex;
    PublishProgress progress;
    std::atomic<bool> broken{false};
};

TransportResult WriteManifest(CPublishTransport& transport, const CPublishManifest& manifest) {
    const UploadSource source{{}, manifest.ToJson(), false};
    return transport.Upload(source, kPublishManifestName, TemporaryUploadPath(kPublishManifestName),
                            {});
}

bool OnlyOurLeftovers(const std::vector<std::string>& names) {
    return std::all_of(names.begin(), names.end(), [](const std::string& name) {
        return name == kPublishManifestName ||
               (name.starts_with('.') && name.ends_with(".pagelorn-upload"));
    });
}

}  // namespace

std::string TemporaryUploadPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".pagelorn-upload";
}

PublishResult PublishWebsite(const PublishParameters& parameters) {
    PublishResult result;
    // A step before anything was sent failed: nothing was changed.
    const auto notConnected = [&](TransportResult failure) {
        result.status = failure.failure == TransportFailure::Cancelled
                            ? PublishStatus::Stopped
                            : PublishStatus::NotConnected;
        result.connection = std::move(failure);
        return result;
    };
    std::unique_ptr<CPublishTransport> first = parameters.connect();
    // Logging in and looking at the manifest there wait on the server; the export folder is
    // walked meanwhile, and no longer once the connection failed.
    TransportResult opened;
    TransportResult looked;
    RemoteFileStamp serverStamp;
    std::atomic<bool> connectFailed{false};
    CPublishDigestCache known;
    LocalScan local;
    {
        const std::jthread connecting([&] {
            opened = first->Open();
            if (opened.Ok()) looked = first->Stat(kPublishManifestName, serverStamp);
            if (!opened.Ok() || looked.Fatal()) connectFailed = true;
        });
        const unsigned hashThreads = std::max(1u, std::thread::hardware_concurrency());
        known = CPublishDigestCache::Read(parameters.exportFolder);
        local = ScanExportFolder(parameters.exportFolder, hashThreads, parameters.cancel, &known,
                                 &connectFailed);
    }
    if (!opened.Ok()) return notConnected(std::move(opened));
    if (looked.Fatal() || looked.failure == TransportFailure::Cancelled)
        return notConnected(std::move(looked));
    if (local.stopped) {
        result.status = PublishStatus::Stopped;
        return result;
    }
    if (!local.problem.empty()) {
        result.status = PublishStatus::NoExport;
        result.message = local.problem;
        return result;
    }

    CPublishManifest manifest;
    bool haveManifest = false;
    // The stamp there of the manifest as `manifest` holds it, where known; whether the export
    // folder's record already holds it.
    std::optional<RemoteFileStamp> manifestStamp;
    bool fromRecord = false;
    if (looked.Ok() && known.ServerManifest(parameters.target, serverStamp) != nullptr) {
        manifest = std::move(known.TakeServer()->manifest);
        manifestStamp = serverStamp;
        fromRecord = haveManifest = true;
    } else if (looked.failure != TransportFailure::Missing) {
        std::string text;
        TransportResult read = first->Read(kPublishManifestName, text);
        if (read.Ok()) {
            const ManifestParse parsed = ParsePublishManifest(text, manifest);
            if (!parsed.ok) {
                result.status = PublishStatus::BadManifest;
                result.message = std::string("the manifest ") + kPublishManifestName +
                                 " on the server cannot be used: " + parsed.problem;
                return result;
            }
            haveManifest = true;
            // The stamp was taken before the manifest was read: a manifest written in between
            // has another one, and is read again next time.
            if (looked.Ok()) manifestStamp = serverStamp;
        } else if (read.failure != TransportFailure::Missing) {
            return notConnected(std::move(read));
        }
    }
    if (!haveManifest) {
        std::vector<std::string> names;
        const TransportResult listed = first->ListTarget(names);
        if (!listed.Ok() && listed.failure != TransportFailure::Missing)
            return notConnected(listed);
        if (!OnlyOurLeftovers(names) && !parameters.intoNonempty) {
            result.status = PublishStatus::NotEmpty;
            result.message =
                "the folder on the server holds files that were not published "
                "from here (it has no " +
                std::string(kPublishManifestName) + "); nothing was changed";
            return result;
        }
    }

    // Only a complete scan says which files are gone. The manifest goes into the record last.
    const auto remember = [&] {
        if (manifestStamp && !parameters.target.empty())
            local.digests.SetServer(CPublishDigestCache::ServerCopy{
                parameters.target, *manifestStamp, std::move(manifest)});
        const bool sameServer = fromRecord || (!local.digests.Server() && !known.Server());
        if (!sameServer || !local.digests.SameDigests(known))
            local.digests.Write(parameters.exportFolder);
    };
    result.filesRead = local.filesRead;
    result.plan = PlanPublish(local, manifest);
    for (const std::string& path : local.unreadable)
        result.failures.push_back({path, "cannot be read"});
    if (parameters.dryRun) {
        remember();
        return result;
    }
    // A first publish claims the folder before anything else goes there, so that an
    // interrupted first publish is not taken for someone else's files the next time.
    if (!haveManifest) {
        if (Cancelled(parameters.cancel)) {
            remember();
            return notConnected({TransportFailure::Cancelled, {}, {}});
        }
        if (TransportResult claimed = WriteManifest(*first, manifest); !claimed.Ok()) {
            remember();
            return notConnected(std::move(claimed));
        }
    }

    CPublishRun run(parameters, result, manifest, std::move(first));
    run.Upload(result.plan.copies);
    if (!run.Broken() && !Cancelled(parameters.cancel)) run.Upload(result.plan.pages);
    if (!run.Broken() && !Cancelled(parameters.cancel)) {
        if (run.AnyFailed() && !result.plan.deletions.empty())
            result.deletionsPostponed = true;
        else
            run.Delete(result.plan.deletions);
    }
    // Whatever happened, the manifest says what the server now holds; when the connection broke
    // this is tried once more on a new one, and otherwise the next publish sends again what it
    // cannot tell arrived. A manifest that would not change is not sent again.
    const bool unchanged = haveManifest && result.uploaded == 0 && result.deleted == 0;
    if (unchanged) {
        result.manifestWritten = true;
    } else {
        manifestStamp.reset();
        fromRecord = false;
        result.manifestWritten = WriteManifest(run.First(), manifest).Ok();
        RemoteFileStamp written;
        if (result.manifestWritten && !parameters.target.empty() &&
            run.First().Stat(kPublishManifestName, written).Ok())
            manifestStamp = written;
    }
    remember();
    if (run.Broken())
        result.status = PublishStatus::Interrupted;
    else if (Cancelled(parameters.cancel))
        result.status = PublishStatus::Stopped;
    else if (!result.manifestWritten)
        result.failures.push_back({kPublishManifestName, "could not be written"});
    return result;
}

std::string FormatBytes(std::uint64_t bytes) {
    if (bytes < 1000) return std::to_string(bytes) + " bytes";
    static constexpr const char* kUnits[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    while (value >= 1000.0 && unit + 1 < std::size(kUnits)) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 100 ? "%.1f %s" : "%.0f %s", value, kUnits[unit]);
    return text;
}

std::string PublishSummary(const PublishResult& result) {
    const auto files = [](std::size_t count) {
        return std::to_string(count) + (count == 1 ? " file" : " files");
    };
    return files(result.uploaded) + " uploaded (" + FormatBytes(result.bytesSent) + "), " +
           std::to_string(result.deleted) + " deleted, " + std::to_string(result.plan.upToDate) +
           " up to date";
}
