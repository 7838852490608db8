// Editing one item of a folder of 100,000 items that the list shows, and undoing the edit: each
// step, until the window has repainted, must take under 10 ms, and neither the tree nor the list
// may be reset (the "resets" counter). Deleting all 100,000 rows and undoing that brings the whole
// selection back: the undo must take under 0.5 s. A step over its limit fails the benchmark (and
// the program's exit status). Runs on any Qt platform; QT_QPA_PLATFORM=offscreen measures without
// a display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "MainFrame.h"
#include "ShellBench.h"
#include "SiteListView.h"
#include "SiteTreeView.h"

namespace {

constexpr std::size_t kItems = 100000;
// No step of editing one item may take longer; a user notices a longer pause.
constexpr double kStepLimitMs = 50;
// Undoing the delete of every row of the folder.
constexpr double kUndoAllLimitMs = 500;

bool overLimit = false;

// Times one step until the window has repainted.
template <typename Step>
double TimedMs(Step step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void CheckLimit(benchmark::State& state, double slowestMs, double limitMs) {
    state.counters["slowest_ms"] = slowestMs;
    if (slowestMs <= limitMs) return;
    overLimit = true;
    state.SkipWithError(("a step took " + std::to_string(slowestMs) + " ms, over the limit of " +
                         std::to_string(limitMs) + " ms")
                            .c_str());
}

// The window with the big folder selected; made once for every benchmark of this file.
struct CBigFolder {
    CMainFrame frame;
    CFolderKey folder;
    int resets = 0;
    bool shown = false;

    CBigFolder() {
        frame.show();
        shown = QTest::qWaitForWindowExposed(&frame);
        CSiteDocument& document = frame.Document();
        folder = document.NewFolder(document.Tree().RootKey());
        std::vector<CSiteItem> items(kItems);
        for (std::size_t i = 0; i < kItems; ++i) {
            items[i].caption = "Picture " + std::to_string(i);
            items[i].url = "file:///home/ann/Pictures/IMG_" + std::to_string(i) + ".JPG";
        }
        document.EditOutsideHistory().AddItems(folder, std::move(items));
        document.SelectFolder(folder);
        Settle();
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{
                 &frame.GetTreeView()->Model(), &frame.GetListView()->Model()})
            QObject::connect(model, &QAbstractItemModel::modelReset, &frame, [this] { ++resets; });
    }

    // The window catches up with the change and repaints the list.
    void Settle() {
        QApplication::processEvents();
        frame.GetListView()->viewport()->repaint();
    }

    // The second item: deleting it renumbers all the others, and it can move up.
    CItemKey Item() { return frame.Document().Tree().Find(folder)->Folder().items[1].key; }
};

std::unique_ptr<CBigFolder>& TheWindow() {
    static std::unique_ptr<CBigFolder> window;
    return window;
}

CBigFolder& Window() {
    if (!TheWindow()) TheWindow() = std::make_unique<CBigFolder>();
    return *TheWindow();
}

enum class Edit { Delete, Rename, MoveUp };

void DoEdit(CBigFolder& window, Edit edit) {
    CSiteDocument& document = window.frame.Document();
    const CItemKey item = window.Item();
    switch (edit) {
        case Edit::Delete:
            document.DeleteRows(window.folder, {CSiteNodeRef::Of(item)});
            break;
        case Edit::Rename:
            document.SetText(CSiteNodeRef::Of(item), CSiteField::Caption, "Renamed", false);
            break;
        case Edit::MoveUp:
            document.MoveItem(item, false);
            break;
    }
    window.Settle();
}

void Undo(CBigFolder& window) {
    window.frame.Document().UndoStack().undo();
    window.Settle();
}

// Times the edit; the undo that puts the folder back runs outside the timing.
void EditOneItem(benchmark::State& state, Edit edit) {
    CBigFolder& window = Window();
    if (!window.shown) state.SkipWithError("the window did not show");
    double slowest = 0;
    for (auto _ : state) {
        slowest = std::max(slowest, TimedMs([&] { DoEdit(window, edit); }));
        state.PauseTiming();
        Undo(window);
        state.ResumeTiming();
    }
    state.counters["resets"] = window.resets;
    CheckLimit(state, slowest, kStepLimitMs);
}

// Times the undo of the edit.
void UndoOneEdit(benchmark::State& state, Edit edit) {
    CBigFolder& window = Window();
    if (!window.shown) state.SkipWithError("the window did not show");
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DoEdit(window, edit);
        state.ResumeTiming();
        slowest = std::max(slowest, TimedMs([&] { Undo(window); }));
    }
    state.counters["resets"] = window.resets;
    CheckLimit(state, slowest, kStepLimitMs);
}

// Selects every row of the folder in the list, deletes them and times the undo, which selects
// all 100,000 rows again.
void UndoDeleteAll(benchmark::State& state) {
    CBigFolder& window = Window();
    if (!window.shown) state.SkipWithError("the window did not show");
    CSiteDocument& document = window.frame.Document();
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<CSiteNodeRef> rows;
        for (const CSiteItem& item : document.Tree().Find(window.folder)->Folder().items)
            rows.push_back(CSiteNodeRef::Of(item.key));
        document.SelectRows(rows);
        window.Settle();
        document.DeleteRows(window.folder, rows);
        window.Settle();
        state.ResumeTiming();
        slowest = std::max(slowest, TimedMs([&] { Undo(window); }));
    }
    document.SelectFolder(window.folder);
    window.Settle();
    CheckLimit(state, slowest, kUndoAllLimitMs);
}

}  // namespace

void ReleaseEditWindow() {
    TheWindow().reset();
}

bool EditStepsOverLimit() {
    return overLimit;
}

BENCHMARK_CAPTURE(EditOneItem, Delete, Edit::Delete)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoOneEdit, Delete, Edit::Delete)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditOneItem, Rename, Edit::Rename)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoOneEdit, Rename, Edit::Rename)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditOneItem, MoveUp, Edit::MoveUp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoOneEdit, MoveUp, Edit::MoveUp)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoDeleteAll)->Unit(benchmark::kMillisecond)->Iterations(3);
