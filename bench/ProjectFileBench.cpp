// Load and save of a large project (1,000 folders, 100,000 items, about 11 MB), each next to
// the plain-stream baseline it is held to: reading the same number of bytes with one buffered
// stream, and writing them with one buffered stream followed by fsync.

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
#include <unistd.h>
#endif

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
        std::vector<CSiteNode*> nodes{tree.Root()};
        for (int i = 1; i < kFolders; ++i) {
            // A ten-way tree, a few levels deep, as a large imported collection looks.
            CSiteNode& node = tree.NewFolder(*nodes[static_cast<std::size_t>((i - 1) / 10)]);
            tree.RenameFolder(node, "Album " + std::to_string(i));
            node.Folder().description = "Pictures of the year " + std::to_string(1900 + i % 120);
            nodes.push_back(&node);
        }
        for (CSiteNode* node : nodes) {
            for (int i = 0; i < kItemsPerFolder; ++i) {
                const std::string name = "IMG_" + std::to_string(node->Folder().id * 1000 + i);
                node->Folder().AddItem(name + ".JPG",
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

void BM_LoadProject(benchmark::State& state) {
    LargeProject& project = Project();
    for (auto _ : state) {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const LoadResult result = LoadProject(project.projectPath, page, layout, tree);
        if (result.status != LoadStatus::Complete) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(tree.Root());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * project.bytes));
}

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

void BM_SaveProject(benchmark::State& state) {
    LargeProject& project = Project();
    const fs::path path = project.folder / "saved.www";
    for (auto _ : state) {
        if (!SaveProject(path, project.page, project.layout, project.tree))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * project.bytes));
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
BENCHMARK(BM_LoadProjectFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReadSameBytesWithOneStream)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WriteSameBytesWithOneStreamAndSync)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

BENCHMARK_MAIN();
