// Selecting a folder of 10,000 items in the tree until the list has painted its rows: the
// window must do this within half a second. Runs on any Qt platform; QT_QPA_PLATFORM=offscreen
// measures without a display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <string>

#include "MainFrame.h"
#include "SiteListView.h"

namespace {

void ShowFolderOfItems(benchmark::State& state) {
    CMainFrame frame;
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame)) state.SkipWithError("the window did not show");
    CSiteDocument& document = frame.Document();
    CSiteListView& list = *frame.GetListView();
    const CFolderKey root = document.Tree().RootKey();
    const CFolderKey big = document.NewFolder(root);
    document.SelectFolder(root);
    for (std::int64_t i = 0; i < state.range(0); ++i)
        document.EditOutsideHistory().AddItem(
            big, "Picture " + std::to_string(i),
            "file:///home/ann/Pictures/IMG_" + std::to_string(i) + ".JPG");

    for (auto _ : state) {
        document.SelectFolder(big);
        list.viewport()->repaint();
        state.PauseTiming();
        if (list.model()->rowCount() != state.range(0)) state.SkipWithError("rows missing");
        document.SelectFolder(root);
        list.viewport()->repaint();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(ShowFolderOfItems)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
