#include "PageInputs.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ModernPlan.h"
#include "PageNames.h"
#include "ParallelFor.h"
#include "ProjectFile.h"

namespace {

// The inputs of one page, each given with its length so that no two lists of inputs read alike.
class CInputs {
public:
    // Appended eight bytes at once: a page's inputs are hundreds of numbers and texts.
    void Number(std::uint64_t value) {
        char eight[8];
        for (int i = 0; i < 8; ++i) eight[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        bytes.append(eight, 8);
    }
    void Text(std::string_view text) {
        Number(text.size());
        bytes += text;
    }
    void Size(PictureSize size) {
        Number(static_cast<std::uint64_t>(size.width));
        Number(static_cast<std::uint64_t>(size.height));
    }
    void Hash(const PageHash& hash) {
        Number(hash[0]);
        Number(hash[1]);
    }
    void Item(const CSiteItem& item) {
        Text(item.caption);
        Text(item.url);
        Text(item.description);
    }
    void Target(const ItemTarget& target) {
        Number(target.localFile ? 1 : 0);
        Text(target.sourcePath);
        Text(target.link);
        Text(target.pictureLink);
        Number(static_cast<std::uint64_t>(target.category));
        Size(target.thumbnail);
        Text(target.posterLink);
        Number(static_cast<std::uint64_t>(target.durationMs));
    }
    PageHash Done() const {
        const PageHash hash = HashOfPage(bytes);
        // A hash that happens to be the unknown one would stand for nothing.
        return hash == kUnknownInputs ? PageHash{1, 0} : hash;
    }

private:
    std::string bytes;
};

// What the plan decided for a linked file a page shows; with `stamp` also where it is read and
// its stamp, for pages that read the file's date.
void AddFile(CInputs& in, const ExportPlan& plan, std::size_t index, bool stamp) {
    if (index == LinkedFile::kNone) {
        in.Number(~std::uint64_t{0});
        return;
    }
    const LinkedFile& file = plan.linkedFiles.Files()[index];
    in.Text(file.name);
    in.Text(file.link);
    in.Text(file.thumbName);
    in.Text(file.thumbLink);
    in.Text(file.thumb1xName);
    in.Size(file.thumbnail);
    in.Size(file.natural);
    in.Text(file.viewName);
    in.Size(file.view);
    in.Text(file.view2xName);
    in.Number(static_cast<std::uint64_t>(file.durationMs));
    in.Text(file.recorded);
    in.Text(file.pagePosterName);
    in.Size(file.pagePoster);
    in.Number(plan.sources[index].stamp.size);
    if (!stamp) return;
    in.Text(file.source);
    in.Text(file.found.path);
    const FileStamp& found = file.found.state.stamp;
    for (const std::uint64_t value :
         {std::uint64_t{found.exists}, std::uint64_t{found.size}, found.device, found.inode,
          static_cast<std::uint64_t>(found.modifiedNs),
          static_cast<std::uint64_t>(found.changedNs)})
        in.Number(value);
}

// The folders from the root down to this one, as the history (breadcrumb) links them.
void AddChain(CInputs& in, const ExportPlan& plan, std::size_t folder) {
    std::size_t steps = 0;
    for (std::size_t at = folder;; at = plan.folders[at].parent) {
        in.Text(plan.folders[at].Label());
        in.Text(plan.folders[at].baseName);
        ++steps;
        if (at == 0) break;
    }
    in.Number(steps);
}

void AddOwnFolder(CInputs& in, const PlannedFolder& entry) {
    in.Text(entry.folder.caption);
    in.Text(entry.folder.description);
    in.Text(entry.baseName);
    in.Number(entry.pageCount);
}

// The options and everything else every page of the export is made from.
PageHash CommonInputs(const ExportPlan& plan, CPlannedLinks& links) {
    CInputs in;
    try {
        const std::vector<unsigned char> options =
            WriteProjectBytes(plan.pageOption, plan.layout, CSiteTree());
        in.Text(std::string_view(reinterpret_cast<const char*>(options.data()), options.size()));
    } catch (const std::length_error&) {
        return kUnknownInputs;
    } catch (const std::bad_alloc&) {
        return kUnknownInputs;
    }
    in.Text(plan.charset);
    in.Number(static_cast<std::uint64_t>(plan.style));
    in.Number(plan.copyFiles ? 1 : 0);
    const CPictureSettings& pictures = plan.pictures;
    for (const int value :
         {int{pictures.thumbnails}, pictures.box, pictures.density, pictures.quality,
          int{pictures.modernTypes}, pictures.maxMegapixels, pictures.view})
        in.Number(static_cast<std::uint64_t>(value));
    in.Text(plan.topNavigator);
    // The root's sub-sites are every page's top navigator.
    for (const std::size_t child : plan.folders[0].children) {
        in.Text(plan.folders[child].Label());
        in.Text(plan.folders[child].baseName);
    }
    // The files the options show on every page.
    const CPageOption& page = plan.pageOption;
    in.Text(links.FileLink(page.general.soundLocation.View(), {}));
    in.Text(links.FileLink(page.background.backgroundImage.View(), {}));
    for (const CLayoutAreaOption& area : plan.layout.areas)
        in.Text(links.FileLink(area.imagePath.View(), {}));
    in.Text(links.FileLink(plan.layout.mainCanvas.imagePath.View(), {}));
    return in.Done();
}

void ClassicFolderPage(CInputs& in, const ExportPlan& plan, CPlannedLinks& links,
                       const PlannedPage& page) {
    const PlannedFolder& entry = plan.folders[page.folder];
    AddOwnFolder(in, entry);
    AddChain(in, plan, page.folder);
    for (const std::size_t child : entry.children) {
        in.Text(plan.folders[child].Label());
        in.Text(plan.folders[child].baseName);
    }
    // The items of the page's rows, as CPageComposer::BuildCanvasPage places them.
    const int rows = plan.layout.mainCanvas.rows;
    const int columns = plan.layout.mainCanvas.columns;
    const std::size_t perPage = static_cast<std::size_t>(std::max(rows, 0)) *
                                static_cast<std::size_t>(std::max(columns, 0));
    const auto& items = entry.folder.items;
    const std::size_t begin = std::min(items.size(), page.index * perPage);
    const std::size_t end = std::min(items.size(), begin + perPage);
    for (std::size_t i = begin; i < end; ++i) {
        in.Item(items[i]);
        in.Target(links.ItemLink(items[i]));
    }
}

std::size_t ModernItemsPerPage(const ExportPlan& plan) {
    const int rows = plan.layout.mainCanvas.rows;
    const int columns = plan.layout.mainCanvas.columns;
    return rows > 0 && columns > 0
               ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns)
               : 1;
}

std::string_view OwnPageName(const ExportPlan& plan, const PlannedFolder& entry, std::size_t item) {
    if (entry.itemPages.empty() || entry.itemPages[item] == kNoPage) return {};
    return plan.pages[entry.itemPages[item]].fileName;
}

void ModernFolderPage(CInputs& in, const ExportPlan& plan, CPlannedLinks& links,
                      const PlannedPage& page) {
    const PlannedFolder& entry = plan.folders[page.folder];
    AddOwnFolder(in, entry);
    AddChain(in, plan, page.folder);
    // The sub-sites' cards: name, number of items and the first picture.
    for (const std::size_t child : entry.children) {
        const PlannedFolder& sub = plan.folders[child];
        in.Text(sub.Label());
        in.Text(sub.baseName);
        in.Number(sub.folder.items.size());
        for (const CSiteItem& item : sub.folder.items) {
            const ItemTarget target = links.ItemLink(item);
            if (target.category != CategoryWebImage || target.pictureLink.empty()) continue;
            in.Item(item);
            in.Target(target);
            AddFile(in, plan, ItemFileIndex(plan, item), false);
            break;
        }
    }
    const std::size_t perPage = ModernItemsPerPage(plan);
    const auto& items = entry.folder.items;
    const std::size_t begin = std::min(items.size(), page.index * perPage);
    const std::size_t end = std::min(items.size(), begin + perPage);
    for (std::size_t i = begin; i < end; ++i) {
        in.Item(items[i]);
        in.Target(links.ItemLink(items[i]));
        AddFile(in, plan, ItemFileIndex(plan, items[i]), false);
        in.Text(OwnPageName(plan, entry, i));
    }
}

void ModernItemPage(CInputs& in, const ExportPlan& plan, CPlannedLinks& links,
                    const PlannedPage& page) {
    const PlannedFolder& entry = plan.folders[page.folder];
    const CSiteItem& item = entry.folder.items[page.index];
    AddOwnFolder(in, entry);
    AddChain(in, plan, page.folder);
    in.Item(item);
    in.Target(links.ItemLink(item));
    // The picture's date is read from the file itself.
    AddFile(in, plan, ItemFileIndex(plan, item), true);
    // Previous and next among the items with pages of their own, and the folder page it is on.
    std::string_view previous;
    std::string_view next;
    for (std::size_t i = page.index; i-- > 0 && previous.empty();)
        previous = OwnPageName(plan, entry, i);
    for (std::size_t i = page.index + 1; i < entry.folder.items.size() && next.empty(); ++i)
        next = OwnPageName(plan, entry, i);
    in.Text(previous);
    in.Text(next);
    in.Number(page.index / ModernItemsPerPage(plan));
}

}  // namespace

void HashPageInputs(ExportPlan& plan, const std::atomic<bool>* cancel) {
    CPlannedLinks common(plan.linkedFiles);
    const PageHash shared = CommonInputs(plan, common);
    if (shared == kUnknownInputs) {
        for (PlannedPage& page : plan.pages) page.inputs = kUnknownInputs;
        return;
    }
    ParallelFor(plan.pages.size(), [&](std::size_t index) {
        PlannedPage& page = plan.pages[index];
        if (cancel != nullptr && cancel->load()) return;
        CPlannedLinks links(plan.linkedFiles);
        CInputs in;
        in.Hash(shared);
        in.Number(static_cast<std::uint64_t>(page.kind));
        in.Number(page.index);
        switch (page.kind) {
            case PlannedPageKind::StyleSheet:
                break;
            case PlannedPageKind::Item:
                ModernItemPage(in, plan, links, page);
                break;
            case PlannedPageKind::Folder:
                if (plan.style == PageStyle::Modern)
                    ModernFolderPage(in, plan, links, page);
                else
                    ClassicFolderPage(in, plan, links, page);
                break;
        }
        page.inputs = in.Done();
    });
}
