#include <cstdio>
#include <filesystem>
#include <string>

#include "FileWrite.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"

namespace fs = std::filesystem;

namespace {

bool Save(const fs::path& folder, const char* name, const CPageOption& page,
          const CLayoutOption& layout, const CSiteTree& tree) {
    const FileWriteResult result =
        WriteFileAtomically(folder / name, WriteProjectBytes(page, layout, tree), FileSync::NoSync);
    if (!result) std::fprintf(stderr, "%s\n", result.message.c_str());
    return result.ok;
}

}  // namespace

// Writes the fuzzer's seed files: small projects that between them use every part of the file.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: project_file_seeds FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];
    bool ok = true;
    {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        ok = Save(folder, "new.www", page, layout, tree) && ok;
    }
    {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const CFolderKey s1 = tree.NewFolder(tree.RootKey()).key;
        const CFolderKey s2 = tree.NewFolder(s1).key;
        tree.NewFolder(s2);
        tree.NewFolder(tree.RootKey());
        ok = Save(folder, "levels.www", page, layout, tree) && ok;
    }
    {
        CPageOption page;
        page.general.location = "/srv/www/photos";
        page.general.title = "Holiday";
        page.general.soundLocation = "file:///music/theme.mid";
        page.general.soundLoop = 3;
        page.background.specifyBackground = 1;
        page.background.backgroundImage = "file:///pictures/paper.gif";
        page.background.textColor = 0x00336699;
        page.margins.specifyTopMargin = 1;
        page.margins.topMargin = 12;
        page.loadEncoding = "ISO-8859-1";
        page.header = "Welcome\nto the pages";
        page.footer = "(c) us";
        page.AddMetaVariable("Refresh", "30", true);
        CLayoutOption layout;
        layout.areas[kHistoryBarSlot].font.faceName = "Verdana";
        layout.areas[kHistoryBarSlot].font.bold = 1;
        layout.table.alignment = "Left";
        layout.mainCanvas.columns = 4;
        layout.mainCanvas.cellAlignment = "Center";
        CSiteTree tree;
        const CFolderKey photos = tree.AddFolder(tree.RootKey(), "Photos", "Summer").key;
        tree.AddItem(photos, "Beach", "file:///pictures/beach.jpg", "Sand");
        tree.AddItem(photos, "Notes", "file:///docs/notes.txt");
        tree.AddItem(tree.NewFolder(photos).key, "Song", "file:///music/song.mp3");
        tree.AddItem(tree.NewFolder(tree.RootKey()).key, "Home", "http://example.org/");
        ok = Save(folder, "rich.www", page, layout, tree) && ok;
    }
    {
        CPageOption page;
        page.Reset(false);
        CLayoutOption layout;
        CSiteTree tree;
        CFolderKey node = tree.RootKey();
        for (int depth = 0; depth < 40; ++depth) node = tree.NewFolder(node).key;
        ok = Save(folder, "deep.www", page, layout, tree) && ok;
    }
    return ok ? 0 : 1;
}
