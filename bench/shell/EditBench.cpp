// Editing one item of a folder of 100,000 items that the list shows, and undoing the edit: each
// step, until the window has repainted, must take under 10 ms, and neither the tree nor the list
// may be reset (the "resets" counter). Runs on any Qt platform; QT_QPA_PLATFORM=offscreen
// measures without a display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <string>

#include "MainFrame.h"
#include "ShellBench.h"
#include "SiteListView.h"
#include "SiteTreeView.h"

namespace {

constexpr std::size_t kItems = 100000;

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
    for (auto _ : state) {
        DoEdit(window, edit);
        state.PauseTiming();
        Undo(window);
        state.ResumeTiming();
    }
    state.counters["resets"] = window.resets;
}

// Times the undo of the edit.
void UndoOneEdit(benchmark::State& state, Edit edit) {
    CBigFolder& window = Window();
    if (!window.shown) state.SkipWithError("the window did not show");
    for (auto _ : state) {
        state.PauseTiming();
        DoEdit(window, edit);
        state.ResumeTiming();
        Undo(window);
    }
    state.counters["resets"] = window.resets;
}

}  // namespace

void ReleaseEditWindow() {
    TheWindow().reset();
}

BENCHMARK_CAPTURE(EditOneItem, Delete, Edit::Delete)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoOneEdit, Delete, Edit::Delete)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditOneItem, Rename, Edit::Rename)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoOneEdit, Rename, Edit::Rename)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditOneItem, MoveUp, Edit::MoveUp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoOneEdit, MoveUp, Edit::MoveUp)->Unit(benchmark::kMillisecond);
