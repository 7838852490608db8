// Load and save of a large project (1,000 folders, 100,000 items, about 12 MB), each next to
// the plain-stream baseline it is held to: reading the same number of bytes with one buffered
// stream (from the page cache, and from the disk), and writing them with one buffered stream
// followed by fsync.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "FileWrite.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 1000;
constexpr int kItemsPerFolder = 100;

struct LargeProject {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    fs::path folder;
    fs::path projectPath;
    std::size_t bytes = 0;

    LargeProject() {
        std::vector<CFolderKey> folders{tree.RootKey()};
        for (int i = 1; i < kFolders; ++i) {
            // A ten-way tree, a few levels deep, as a large imported collection looks.
            folders.push_back(
                tree.AddFolder(folders[static_cast<std::size_t>((i - 1) / 10)],
                               "Album " + std::to_string(i),
                               "Pictures of the year " + std::to_string(1900 + i % 120))
                    .key);
        }
        for (CFolderKey folder : folders) {
            const std::int32_t id = tree.Find(folder)->Folder().id;
            for (int i = 0; i < kItemsPerFolder; ++i) {
                const std::string name = "IMG_" + std::to_string(id * 1000 + i);
                tree.AddItem(folder, name + ".JPG",
                             "file:///home/someone/Pictures/Camera/" + name + ".JPG",
                             "Taken on a sunny afternoon, number " + std::to_string(i));
            }
        }
        const char* base = std::getenv("PAGELORN_BENCH_DIR");
        folder = fs::path(base ? base : fs::temp_directory_path().string()) / "pagelorn_bench";
        fs::create_directories(folder);
        projectPath = folder / "large.www";
        if (!SaveProject(projectPath, page, layout, tree)) std::abort();
        bytes = fs::file_size(projectPath);
    }
    ~LargeProject() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

LargeProject& Project() {
    static LargeProject project;
    return project;
}

// LoadProject alone: the project it returns is put away outside the timing (destroying it is
// BM_DestroyProject).
void BM_LoadProject(benchmark::State& state) {
    LargeProject& project = Project();
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<CPageOption>();
        auto layout = std::make_unique<CLayoutOption>();
        auto tree = std::make_unique<CSiteTree>();
        state.ResumeTiming();
        const LoadResult result = LoadProject(project.projectPath, *page, *layout, *tree);
        state.PauseTiming();
        if (result.status != LoadStatus::Complete) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(tree->Root());
        tree.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * project.bytes));
}

void BM_DestroyProject(benchmark::State& state) {
    LargeProject& project = Project();
    for (auto _ : state) {
        state.PauseTiming();
        CPageOption page;
        CLayoutOption layout;
        auto tree = std::make_unique<CSiteTree>();
        LoadProject(project.projectPath, page, layout, *tree);
        state.ResumeTiming();
        tree.reset();
    }
}

// What the export takes before it starts on another thread: a copy of the whole project.
void BM_CopyProject(benchmark::State& state) {
    LargeProject& project = Project();
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    LoadProject(project.projectPath, page, layout, tree);
    for (auto _ : state) {
        CSiteTree copy(tree);
        benchmark::DoNotOptimize(copy.Root());
    }
}

#if defined(__linux__)
// Drops the file's pages from the page cache, so that the next read comes from the disk.
void Evict(const fs::path& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (file) ::posix_fadvise(fileno(file.get()), 0, 0, POSIX_FADV_DONTNEED);
}

// The same load and read with the file's pages dropped before each round: what opening a
// project costs the first time, at the speed of the disk.
void BM_LoadProjectFromDisk(benchmark::State& state) {
    LargeProject& project = Project();
    for (auto _ : state) {
        state.PauseTiming();
        Evict(project.projectPath);
        auto page = std::make_unique<CPageOption>();
        auto layout = std::make_unique<CLayoutOption>();
        auto tree = std::make_unique<CSiteTree>();
        state.ResumeTiming();
        const LoadResult result = LoadProject(project.projectPath, *page, *layout, *tree);
        state.PauseTiming();
        if (result.status != LoadStatus::Complete) state.SkipWithError("load failed");
        tree.reset();
        state.ResumeTiming();
    }
}

void BM_ReadSameBytesFromDisk(benchmark::State& state) {
    LargeProject& project = Project();
    std::vector<char> buffer(project.bytes);
    for (auto _ : state) {
        state.PauseTiming();
        Evict(project.projectPath);
        state.ResumeTiming();
        std::ifstream stream(project.projectPath, std::ios::binary);
        stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (static_cast<std::size_t>(stream.gcount()) != buffer.size())
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer.data());
    }
}
#endif

// The parsing and tree building part of a load alone, from bytes already in memory.
void BM_LoadProjectFromMemory(benchmark::State& state) {
    LargeProject& project = Project();
    const std::vector<unsigned char> bytes =
        WriteProjectBytes(project.page, project.layout, project.tree);
    for (auto _ : state) {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const LoadResult result = LoadProjectFromBytes(bytes, page, layout, tree);
        if (result.status != LoadStatus::Complete) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(tree.Root());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_ReadSameBytesWithOneStream(benchmark::State& state) {
    LargeProject& project = Project();
    std::vector<char> buffer(project.bytes);
    for (auto _ : state) {
        std::ifstream stream(project.projectPath, std::ios::binary);
        stream.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (static_cast<std::size_t>(stream.gcount()) != buffer.size())
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * project.bytes));
}

// Saving the project as it is after an open: its texts lie in the file image it was read from.
// (A project made item by item, as LargeProject makes it, has each text in a block of its own
// and builds its bytes about 2 ms slower.)
void BM_SaveProject(benchmark::State& state) {
    LargeProject& project = Project();
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    LoadProject(project.projectPath, page, layout, tree);
    const fs::path path = project.folder / "saved.www";
    for (auto _ : state) {
        if (!SaveProject(path, page, layout, tree)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * project.bytes));
}

// The save's bytes written the way SaveProject writes them (a new file beside the old one,
// synced and renamed over it): the save less the building of its bytes.
void BM_WriteSameBytesAtomically(benchmark::State& state) {
    LargeProject& project = Project();
    const std::vector<unsigned char> bytes =
        WriteProjectBytes(project.page, project.layout, project.tree);
    const fs::path path = project.folder / "atomic.www";
    for (auto _ : state)
        if (!WriteFileAtomically(path, bytes)) state.SkipWithError("write failed");
}

void BM_WriteSameBytesWithOneStreamAndSync(benchmark::State& state) {
    LargeProject& project = Project();
    const fs::path path = project.folder / "plain.bin";
    const std::vector<char> buffer(project.bytes, 'x');
    for (auto _ : state) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                             &std::fclose);
        if (!file || std::fwrite(buffer.data(), 1, buffer.size(), file.get()) != buffer.size() ||
            std::fflush(file.get()) != 0)
            state.SkipWithError("write failed");
#if !defined(_WIN32)
        ::fsync(fileno(file.get()));
#endif
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * project.bytes));
}

}  // namespace

BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DestroyProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CopyProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
#if defined(__linux__)
BENCHMARK(BM_LoadProjectFromDisk)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReadSameBytesFromDisk)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
#endif
BENCHMARK(BM_LoadProjectFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReadSameBytesWithOneStream)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WriteSameBytesAtomically)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WriteSameBytesWithOneStreamAndSync)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

BENCHMARK_MAIN();
