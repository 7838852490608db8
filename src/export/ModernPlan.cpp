#include "ModernPlan.h"

#include <algorithm>
#include <cstdio>

#include "HtmlWriter.h"
#include "ModernPageComposer.h"
#include "TextField.h"

namespace {

bool HasOwnPage(const CSiteItem& item, bool modernTypes) {
    const FileCategory category = ClassifyFile(item.url.View(), modernTypes);
    return category == CategoryWebImage || category == CategoryVideo || category == CategoryAudio ||
           PlayableMediaOf(item.url.View()) != PlayableMedia::None;
}

// A video's page shows its poster at the page's size: named as its thumbnail at that side, beside
// it, and made from the same frame. A video no larger than its thumbnail shows the thumbnail.
void NamePagePoster(const ExportPlan& plan, LinkedFile& file) {
    const int side = plan.pictures.view;
    const int thumbnailSide = plan.ThumbnailSide();
    const int longSide = std::max(file.natural.width, file.natural.height);
    const std::string settings = "." + std::to_string(thumbnailSide) + "q";
    const std::size_t at = file.thumbName.rfind(settings);
    if (at == std::string::npos || side <= thumbnailSide || longSide <= thumbnailSide) return;
    std::string name = file.thumbName.substr(0, at) + "." + std::to_string(side) +
                       file.thumbName.substr(at + settings.size() - 1);
    if (name.size() > kMaxFileNameBytes) return;
    file.pagePosterName = std::move(name);
    const double scale = std::min(1.0, static_cast<double>(side) / longSide);
    file.pagePoster = {std::max(1, static_cast<int>(file.natural.width * scale + 0.5)),
                       std::max(1, static_cast<int>(file.natural.height * scale + 0.5))};
}

}  // namespace

PlayableMedia PlayableMediaOf(std::string_view path) {
    const std::string name = AsciiLower(FileNameOfPath(path));
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return PlayableMedia::None;
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    for (const std::string_view video : {"mp4", "m4v", "webm", "ogv"})
        if (extension == video) return PlayableMedia::Video;
    for (const std::string_view audio : {"mp3", "wav", "ogg", "oga", "opus", "m4a", "aac", "flac"})
        if (extension == audio) return PlayableMedia::Audio;
    return PlayableMedia::None;
}

std::size_t ItemFileIndex(const ExportPlan& plan, const CSiteItem& item) {
    const std::optional<std::string> path = LocalFilePath(item.url.View());
    if (!path) return LinkedFile::kNone;
    const LinkedFile* file = plan.linkedFiles.Find(*path);
    if (file == nullptr) return LinkedFile::kNone;
    return static_cast<std::size_t>(file - plan.linkedFiles.Files().data());
}

void PlanModernPages(ExportPlan& plan, CPageNameTable& names) {
    const bool modernTypes = plan.pictures.modernTypes;
    std::size_t owner = plan.folders.size();
    for (std::size_t folder = 0; folder < plan.folders.size(); ++folder) {
        PlannedFolder& entry = plan.folders[folder];
        const auto& items = entry.folder.items;
        entry.itemPages.assign(items.size(), kNoPage);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const CSiteItem& item = items[i];
            if (!HasOwnPage(item, modernTypes)) continue;
            const std::string_view label =
                item.caption.empty() ? FileNameOfPath(item.url.View()) : item.caption.View();
            const std::string base =
                names.Claim(entry.baseName + "_" + SafePageNamePart(label), 1, owner++);
            entry.itemPages[i] = plan.pages.size();
            plan.pages.push_back({folder, i, PageFileName(base, 0), PlannedPageKind::Item});
        }
    }
    plan.pages.push_back({0, 0, kModernIndexFileName, PlannedPageKind::Folder});
    plan.pages.push_back({0, 0, kStyleSheetFileName, PlannedPageKind::StyleSheet});
}

void NameViews(ExportPlan& plan) {
    std::vector<LinkedFile>& files = plan.linkedFiles.Files();
    if (plan.pictures.density > 1) {
        const std::string large = "." + std::to_string(plan.ThumbnailSide());
        const std::string small = "." + std::to_string(plan.pictures.box);
        for (const std::size_t index : plan.thumbnails) {
            LinkedFile& file = files[index];
            const std::size_t at = file.thumbName.rfind(large);
            if (file.thumbName.empty() || at == std::string::npos) continue;
            file.thumb1xName =
                file.thumbName.substr(0, at) + small + file.thumbName.substr(at + large.size());
        }
    }
    const int side = plan.pictures.view;
    if (side <= 0) return;
    std::vector<char> shown(files.size(), 0);
    for (const PlannedPage& page : plan.pages) {
        if (page.kind != PlannedPageKind::Item) continue;
        const std::size_t index =
            ItemFileIndex(plan, plan.folders[page.folder].folder.items[page.index]);
        if (index != LinkedFile::kNone) shown[index] = 1;
    }
    CUniqueNames taken;
    for (std::size_t i = 0; i < files.size(); ++i) {
        LinkedFile& file = files[i];
        const SourceState& state = plan.sources[i];
        const bool sourceThere =
            state.kind == SourceState::Kind::Regular || state.kind == SourceState::Kind::NotLooked;
        if (file.video && shown[i] && !file.thumbName.empty()) NamePagePoster(plan, file);
        const int longSide = std::max(file.natural.width, file.natural.height);
        if (!shown[i] || !file.picture || !sourceThere || !file.pictureProblem.empty() ||
            file.name.empty() || longSide <= side)
            continue;
        const std::string quality =
            file.thumbPng ? std::string() : "q" + std::to_string(plan.pictures.quality);
        const std::string extension = file.thumbPng ? ".png" : ".jpg";
        const bool twice = longSide >= 2 * side;
        const auto ending = [&](int s) { return "." + std::to_string(s) + quality + extension; };
        const std::size_t longest = ending(twice ? 2 * side : side).size();
        const auto fitted = [&](std::string_view suffix, int s) {
            const std::size_t room = kMaxFileNameBytes - longest - suffix.size();
            return file.name.substr(0, Utf8SafePrefixLength(file.name, room)) +
                   std::string(suffix) + ending(s);
        };
        const std::string suffix =
            taken.Claim(i, twice ? 2 : 1, [&](std::string_view suffix, std::size_t n) {
                return fitted(suffix, n == 0 ? side : 2 * side);
            });
        file.viewName = fitted(suffix, side);
        if (twice) file.view2xName = fitted(suffix, 2 * side);
        const double scale = static_cast<double>(side) / longSide;
        file.view = {std::max(1, static_cast<int>(file.natural.width * scale + 0.5)),
                     std::max(1, static_cast<int>(file.natural.height * scale + 0.5))};
        plan.views.push_back(i);
    }
}

void AddModernStyleProblems(ExportPlan& plan, const CPageOption& pageOption) {
    bool subSites = false;
    bool morePages = false;
    for (const PlannedFolder& entry : plan.folders) {
        subSites = subSites || !entry.children.empty();
        morePages = morePages || entry.pageCount > 1;
    }
    const CLayoutOption& layout = plan.layout;
    const struct {
        const CLayoutAreaOption& area;
        const char* where;
        bool shown;
    } areas[] = {
        {layout.areas[kHeaderBarSlot], "Layout Properties > Header Bar",
         !pageOption.header.empty()},
        {layout.areas[kTopNavigatorBarSlot], "Layout Properties > Top Navigator Bar",
         !plan.folders.empty() && !plan.folders[0].children.empty()},
        {layout.areas[kHistoryBarSlot], "Layout Properties > Next Navigator Bar", true},
        {layout.areas[kNextNavigatorBarSlot], "Layout Properties > History Bar", subSites},
        {layout.areas[kIndexBarSlot], "Layout Properties > Index Bar", morePages},
        {layout.areas[kFooterBarSlot], "Layout Properties > Footer Bar", true},
        {layout.mainCanvas, "Layout Properties > Main Canvas", true},
    };
    for (const auto& [area, where, shown] : areas) {
        if (!shown) continue;
        const double ratio = ContrastRatio(area.font.color, area.bgColor);
        if (ratio >= 4.5) continue;
        char text[160];
        std::snprintf(text, sizeof text,
                      "the text colour %s on %s has a contrast of %.2f:1, below 4.5:1: hard to "
                      "read on modern pages",
                      CHtmlWriter::ColorToHtml(area.font.color).c_str(),
                      CHtmlWriter::ColorToHtml(area.bgColor).c_str(), ratio);
        plan.problems.push_back(
            {ProblemKind::LowContrast, ProblemSeverity::Note, "style.css", where, text, {}, {}});
    }
    for (std::size_t folder = 0; folder < plan.folders.size(); ++folder) {
        const PlannedFolder& entry = plan.folders[folder];
        for (const CSiteItem& item : entry.folder.items) {
            if (!item.caption.empty() ||
                ClassifyFile(item.url.View(), plan.pictures.modernTypes) != CategoryWebImage)
                continue;
            const std::string place = PlannedFolderPath(plan, folder);
            plan.problems.push_back(
                {ProblemKind::NoCaption, ProblemSeverity::Note, item.url.Str(),
                 place + ", item " + std::to_string(item.id),
                 "a picture without a caption: its text for those who cannot see it will be its "
                 "file name",
                 entry.key, item.key});
        }
    }
}
