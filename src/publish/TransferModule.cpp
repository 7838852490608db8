#include "TransferModule.h"

#include <cstdlib>
#include <mutex>
#include <system_error>

#include "ExportLocation.h"
#include "ProgramInfo.h"
#include "SharedLibrary.h"

namespace fs = std::filesystem;

namespace {

struct LoadedModule {
    const TransferFunctions* functions = nullptr;
    std::string failure;
};

LoadedModule Load() {
    LoadedModule result;
    const fs::path path = TransferModulePath();
    const auto fail = [&](const std::string& why) {
        result.failure = "the publish module " + path.string() + " could not be loaded: " + why;
        return result;
    };
    std::string error;
    const CSharedLibrary library = CSharedLibrary::Load(path, error);
    if (!library.IsLoaded()) return fail(error);
    void* entry = library.Symbol(kTransferEntryPoint, error);
    if (entry == nullptr) return fail(error);
    const auto functions = reinterpret_cast<const TransferFunctions* (*)()>(entry)();
    if (functions == nullptr || functions->interface != kTransferInterface ||
        functions->size != sizeof(TransferFunctions) || functions->transportFactory == nullptr)
        return fail("it belongs to another version of the program");
    result.functions = functions;
    return result;
}

const LoadedModule& Module() {
    static std::once_flag once;
    static LoadedModule loaded;
    std::call_once(once, [] { loaded = Load(); });
    return loaded;
}

// Stands in for the connections when the module is missing: nothing can be reached.
class CUnavailableTransport final : public CPublishTransport {
public:
    explicit CUnavailableTransport(std::string why) : why(std::move(why)) {}

    TransportResult Open() override { return Failed(); }
    std::string Fingerprint() const override { return {}; }
    TransportResult Read(const std::string&, std::string&) override { return Failed(); }
    TransportResult ListTarget(std::vector<std::string>&) override { return Failed(); }
    TransportResult Upload(const UploadSource&, const std::string&, const std::string&,
                           const TransferProgressFn&) override {
        return Failed();
    }
    TransportResult Remove(const std::string&) override { return Failed(); }

private:
    TransportResult Failed() const { return {TransportFailure::Connect, why, {}}; }

    std::string why;
};

}  // namespace

void LoadTransferModule() {
    Module();
}

fs::path TransferModulePath() {
    if (const char* chosen = std::getenv("PAGELORN_TRANSFER_MODULE"); chosen != nullptr && *chosen)
        return chosen;
    const fs::path name(PAGELORN_TRANSFER_MODULE_FILE);
    std::error_code error;
    const fs::path program = ProgramFolder();
    const fs::path beside =
        program.empty()
            ? fs::path()
            : (program / fs::path(kMediaModuleFromProgram).parent_path() / name).lexically_normal();
    if (!beside.empty() && fs::exists(beside, error)) return beside;
    const fs::path built = fs::path(kMediaModuleInBuildTree).parent_path() / name;
    if (fs::exists(built, error)) return built;
    return beside.empty() ? built : beside;
}

TransportFactory CurlTransportFactory(const CurlTransportOptions& options) {
    const LoadedModule& module = Module();
    if (module.functions != nullptr) return module.functions->transportFactory(options);
    return [why = module.failure]() -> std::unique_ptr<CPublishTransport> {
        return std::make_unique<CUnavailableTransport>(why);
    };
}
