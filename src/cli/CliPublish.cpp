#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "CliCommands.h"
#include "CliOutput.h"
#include "CliPassword.h"
#include "CliWebsite.h"
#include "CurlTransport.h"
#include "ExportLocation.h"
#include "ExportParametersFor.h"
#include "KnownServers.h"
#include "PublishAddress.h"
#include "TransferModule.h"
#include "Utf8Path.h"
#include "WebsiteExporter.h"
#include "WebsitePublisher.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pagelorn-cli publish PROJECT.www [--to URL] [--dry-run] [--into-nonempty] "
    "[--accept-host-key FP]\n"
    "  Brings the export of PROJECT.www up to date, as export does, then uploads the export\n"
    "  folder to the address the website settings name (\"publish\": {\"url\": ...}), or to URL:\n"
    "  sftp://user@host[:port]/path, ftps://user@host[:port]/path (FTP with TLS) or\n"
    "  ftp://... (the password goes in clear). Only files that are new or changed since the last\n"
    "  publish are sent, each to a temporary name and renamed once whole: copies first, then\n"
    "  pages, then files an earlier publish sent and the export no longer has are deleted.\n"
    "  The server keeps the list of what was sent, with sizes and SHA-256, in\n"
    "  .pagelorn-publish.json; no other file there is ever changed or deleted.\n"
    "  SFTP logs in with the SSH agent or ~/.ssh/id_ed25519, id_ecdsa or id_rsa, else with a\n"
    "  password: PAGELORN_PASSWORD, or asked for on the terminal. The server's host key must be\n"
    "  in ~/.ssh/known_hosts; a certificate of an FTPS server must be verifiable or accepted\n"
    "  before (kept in ~/.config/pagelorn/known_certificates).\n"
    "  --to URL         publish to URL instead of the address in the settings\n"
    "  --dry-run        list what would be uploaded and deleted, changing nothing on the\n"
    "                   server (the export is still brought up to date)\n"
    "  --into-nonempty  publish into a folder that holds files but no .pagelorn-publish.json\n"
    "                   (files with the export's names are replaced; nothing is deleted)\n"
    "  --accept-host-key FP\n"
    "                   trust the server's host key (added to known_hosts) or TLS certificate\n"
    "                   (added to known_certificates) with the fingerprint FP (SHA256:...),\n"
    "                   as shown when it was refused\n"
    "  Exit status: 0 published, 1 published with failures (listed), 2 nothing published (no\n"
    "  address, could not connect or log in, a folder that is not ours), 130 interrupted (what\n"
    "  was sent is whole; publishing again finishes the work).\n";

std::string HomeSshFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    return Utf8FromPath(fs::path(home) / ".ssh");
}

// One line whenever another 5 % of the bytes (or, for files without bytes, of the files) are
// done.
class CPublishProgressLines {
public:
    void Show(const PublishProgress& progress) {
        const double part =
            progress.bytesTotal > 0
                ? static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal)
            : progress.filesTotal > 0
                ? static_cast<double>(progress.filesDone) / static_cast<double>(progress.filesTotal)
                : 1.0;
        int step = static_cast<int>(part * 20.0);
        // The last bytes are sent before the last file is renamed into place.
        if (progress.filesDone < progress.filesTotal) step = std::min(step, 19);
        if (step <= shownStep) return;
        shownStep = step;
        std::fprintf(stderr, "Publishing: %d %% (%zu of %zu files, %s of %s)\n", step * 5,
                     progress.filesDone, progress.filesTotal,
                     FormatBytes(progress.bytesDone).c_str(),
                     FormatBytes(progress.bytesTotal).c_str());
        std::fflush(stderr);
    }

private:
    int shownStep = 0;
};

int ReportConnection(const TransportResult& connection, const PublishAddress& address) {
    const std::string where = address.ToString();
    switch (connection.failure) {
        case TransportFailure::HostKeyUnknown:
            return Fail("the host key of " + address.KnownHostsName() +
                            " is not known: " + connection.fingerprint + "; nothing was published.",
                        "If that is the server's key, run again with --accept-host-key " +
                            connection.fingerprint);
        case TransportFailure::HostKeyChanged:
            return Fail(connection.message);
        case TransportFailure::Certificate:
            return Fail(where + ": " + connection.message + "; nothing was published.",
                        "If it is the server's certificate, run again with --accept-host-key " +
                            connection.fingerprint);
        default:
            return Fail("cannot publish to " + where + ": " + connection.message);
    }
}

// Brings the export up to date. Returns the exit code when publishing cannot go on; `failed` is
// set when some pages or files could not be written.
std::optional<int> UpdateExport(const CProject& website, const fs::path& projectPath,
                                const fs::path& folder, bool& failed) {
    ExportParameters parameters = ExportParametersFor(website, folder);
    // A damaged tree leaves the project untitled; its links are still read from its folder.
    parameters.projectFile = projectPath;
    parameters.cancel = &InterruptFlag();
    // An earlier export is brought up to date; any other folder that holds files is the user's.
    // The export checks the folder again and plans for itself: this check keeps nothing of the
    // linked files for a plan.
    CFolderHandle handle;
    bool busy = false;
    const ExportFolderCheck check =
        InspectExportFolder(parameters, handle, false, busy, [](const fs::path&) { return false; });
    if (check.state == ExportFolderState::NotEmpty) {
        std::error_code error;
        if (!fs::is_regular_file(check.folder / kRootPageFileName, error))
            return Fail(Utf8FromPath(check.folder) +
                        " holds files but no export; nothing was published. Export into it "
                        "first (pagelorn-cli export --yes) or give the project another location.");
        parameters.clearExistingFolder = true;
    }
    const ExportResult result = ExportWebsite(parameters);
    if (result.status == ExportStatus::Stopped || Interrupted())
        return ReportInterruption(
            "the export was brought partly up to date; nothing was "
            "published.");
    if (result.status != ExportStatus::Completed)
        return Fail(result.message.empty() ? "the export failed; nothing was published."
                                           : result.message);
    for (const ExportFailure& failure : result.failures)
        PrintMessage(failure.path + ": " + failure.reason);
    failed = !result.failures.empty();
    return std::nullopt;
}

}  // namespace

int RunPublishCommand(int argc, char** argv) {
    WebsiteArguments arguments;
    bool dryRun = false;
    bool intoNonempty = false;
    std::string acceptedKey;
    bool wantKey = false;
    const auto flag = [&](std::string_view argument) {
        if (argument == "--dry-run") return dryRun = true;
        if (argument == "--into-nonempty") return intoNonempty = true;
        if (argument == "--accept-host-key") return wantKey = true;
        if (argument.starts_with("--accept-host-key=")) {
            acceptedKey = std::string(argument.substr(18));
            return true;
        }
        return false;
    };
    // --accept-host-key takes the next argument; the shared parser knows only --to that way.
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--accept-host-key") {
            if (i + 1 >= argc)
                return FailWithUsage("--accept-host-key needs a fingerprint", kUsage);
            acceptedKey = argv[++i];
            continue;
        }
        rest.push_back(argv[i]);
    }
    if (const std::optional<int> done = ParseWebsiteArguments(
            static_cast<int>(rest.size()), rest.data(), "publish", kUsage, arguments, flag))
        return *done;
    if (wantKey && acceptedKey.empty())
        return FailWithUsage("--accept-host-key needs a fingerprint", kUsage);
    if (!acceptedKey.empty() && !acceptedKey.starts_with("SHA256:"))
        return Fail("--accept-host-key takes a fingerprint as it was shown: SHA256:...");

    const fs::path projectPath = arguments.project;
    CProject website;
    ProjectOpenResult opened;
    if (const std::optional<int> failed = LoadWebsite(projectPath, "publish", "publishing",
                                                      "; nothing was published", website, opened))
        return *failed;

    const std::string url =
        arguments.haveFolder ? arguments.folder : website.Settings().publish.url;
    if (url.empty())
        return Fail("the website has no publish address; nothing was published.",
                    "Give it with --to URL, or as \"publish\": {\"url\": ...} in " +
                        Utf8FromPath(WebsiteSettingsPath(projectPath)) + ".");
    const PublishAddressParse parsed = ParsePublishAddress(url);
    if (!parsed.address) return Fail("cannot publish to " + url + ": " + parsed.problem + ".");
    const PublishAddress& address = *parsed.address;
    if (address.protocol == PublishProtocol::Ftp)
        PrintMessage(
            "warning: ftp:// sends the password and every file in clear; use sftp:// "
            "or ftps:// where the host offers it.");

    const ExportLocation location =
        ResolveExportLocation(website.PageOption().general.location.View(), projectPath);
    if (!location.problem.empty()) return Fail(location.problem);
    // The connections' libraries load meanwhile.
    const std::jthread loading(LoadTransferModule);
    bool exportFailed = false;
    if (const std::optional<int> stop =
            UpdateExport(website, projectPath, location.folder, exportFailed))
        return *stop;

    CurlTransportOptions options{.address = address,
                                 .password = {},
                                 .sshFolder = HomeSshFolder(),
                                 .acceptedFingerprint = acceptedKey,
                                 .knownCertificates = DefaultKnownCertificatesFile(),
                                 .cancel = &InterruptFlag(),
                                 .connectTimeoutSeconds = 30};
    if (const char* password = std::getenv("PAGELORN_PASSWORD"))
        options.password = password;
    else if (address.protocol != PublishProtocol::Sftp && StdinIsTerminal())
        options.password = AskPassword("Password for " + address.ToString() + ": ");

    CPublishProgressLines lines;
    PublishParameters parameters{.exportFolder = location.folder,
                                 .connect = CurlTransportFactory(options),
                                 .connections = 4,
                                 .intoNonempty = intoNonempty,
                                 .dryRun = dryRun,
                                 .progress = [&](const PublishProgress& p) { lines.Show(p); },
                                 .cancel = &InterruptFlag(),
                                 .target = address.ToString()};
    PublishResult result = PublishWebsite(parameters);
    // SFTP asks for a password only when no key was taken.
    if (result.status == PublishStatus::NotConnected &&
        result.connection.failure == TransportFailure::Login && options.password.empty() &&
        StdinIsTerminal()) {
        options.password = AskPassword("Password for " + address.ToString() + ": ");
        parameters.connect = CurlTransportFactory(options);
        result = PublishWebsite(parameters);
    }

    switch (result.status) {
        case PublishStatus::NotConnected:
            return ReportConnection(result.connection, address);
        case PublishStatus::NotEmpty:
            return Fail(address.ToString() + ": " + result.message + ".",
                        "Run again with --into-nonempty to publish there all the same (files with "
                        "the export's names are replaced; nothing is deleted).");
        case PublishStatus::BadManifest:
        case PublishStatus::NoExport:
            return Fail(address.ToString() + ": " + result.message + "; nothing was published.");
        default:
            break;
    }
    for (const PublishFailure& failure : result.failures)
        PrintMessage(failure.path + ": " + failure.reason);
    if (result.status == PublishStatus::Stopped || Interrupted())
        return ReportInterruption(PublishSummary(result) +
                                  "; every file sent is whole, and publishing again finishes "
                                  "the work.");
    if (dryRun) {
        for (const auto* list : {&result.plan.copies, &result.plan.pages})
            for (const LocalFile& file : *list)
                std::printf("upload\t%s\t%s\n", Printable(file.path).c_str(),
                            FormatBytes(file.file.size).c_str());
        for (const std::string& path : result.plan.deletions)
            std::printf("delete\t%s\n", Printable(path).c_str());
        std::printf("would upload %zu %s (%s), delete %zu, %zu up to date\n",
                    result.plan.UploadCount(), result.plan.UploadCount() == 1 ? "file" : "files",
                    FormatBytes(result.plan.bytesToSend).c_str(), result.plan.deletions.size(),
                    result.plan.upToDate);
        return result.failures.empty() ? kExitOk : kExitPartly;
    }
    if (result.status == PublishStatus::Interrupted)
        PrintMessage("the connection broke: " + result.connection.message +
                     "; every file sent is whole, and publishing again finishes the work.");
    if (result.deletionsPostponed)
        PrintMessage("nothing was deleted on the server, since some files could not be uploaded.");
    std::printf("%s\n", PublishSummary(result).c_str());
    return result.AllSent() && !exportFailed && !ReadInPart(opened) ? kExitOk : kExitPartly;
}
