// Folder import beside `find -ls` over the same folders in the same run: a flat folder of
// 100,000 files, and a chain of 750 nested folders with one file each (deeper than the longest
// path the system takes, which the import walks relative to each parent).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "SiteImport.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFlatFiles = 100000;
constexpr int kChainDepth = 750;

struct ImportFolders {
    fs::path base;
    fs::path flat;
    fs::path chain;
    bool ready = false;

    ImportFolders() {
        const char* dir = std::getenv("PAGELORN_BENCH_DIR");
        base = fs::path(dir ? dir : fs::temp_directory_path().string()) / "pagelorn_import_bench";
        flat = base / "flat";
        chain = base / "level";
        std::system(("rm -rf '" + base.string() + "'").c_str());
        fs::create_directories(flat);
        for (int i = 0; i < kFlatFiles; ++i) {
            const std::string name =
                (flat / ("IMG_" + std::to_string(100000 + i) + ".JPG")).string();
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT, 0644);
            if (fd < 0) return;
            ::close(fd);
        }
        // Made relative to each level: the full paths are too long for the system.
        int parent = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < kChainDepth && parent >= 0; ++i) {
            if (::mkdirat(parent, "level", 0755) != 0) return;
            const int child = ::openat(parent, "level", O_RDONLY | O_DIRECTORY);
            ::close(parent);
            parent = child;
            if (parent >= 0) ::close(::openat(parent, "page.htm", O_WRONLY | O_CREAT, 0644));
        }
        if (parent >= 0) ::close(parent);
        ready = parent >= 0;
    }
    ~ImportFolders() { std::system(("rm -rf '" + base.string() + "'").c_str()); }
};

ImportFolders& Folders() {
    static ImportFolders folders;
    return folders;
}

void Import(benchmark::State& state, const fs::path& path, std::size_t expectedItems) {
    if (!Folders().ready) state.SkipWithError("the folders could not be made");
    for (auto _ : state) {
        CSiteTree tree;
        const CImportResult result = ImportFolder(tree, tree.RootKey(), path);
        if (result.itemsAdded != expectedItems) state.SkipWithError("files missing");
        state.PauseTiming();
        benchmark::DoNotOptimize(tree.Root());
        {
            CSiteTree done;
            tree.Swap(done);
        }
        state.ResumeTiming();
    }
}

void FindLs(benchmark::State& state, const fs::path& path) {
    if (!Folders().ready) state.SkipWithError("the folders could not be made");
    const std::string command = "find '" + path.string() + "' -ls > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
}

void BM_ImportFlatFolder(benchmark::State& state) {
    Import(state, Folders().flat, kFlatFiles);
}
void BM_FindLsFlatFolder(benchmark::State& state) {
    FindLs(state, Folders().flat);
}
void BM_ImportChainOfFolders(benchmark::State& state) {
    Import(state, Folders().chain, kChainDepth);
}
void BM_FindLsChainOfFolders(benchmark::State& state) {
    FindLs(state, Folders().chain);
}

}  // namespace

BENCHMARK(BM_ImportFlatFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FindLsFlatFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ImportChainOfFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FindLsChainOfFolders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
