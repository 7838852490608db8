#include "ExportPlan.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <system_error>

#include "Charset.h"
#include "ExportDigest.h"
#include "HtmlWriter.h"
#include "MediaModule.h"
#include "ModernPlan.h"
#include "PageInputs.h"
#include "PageNames.h"
#include "ParallelFor.h"
#include "TextEncoder.h"
#include "TextField.h"
#include "ThumbnailFile.h"
#include "Utf8Path.h"
#include "VideoPoster.h"

namespace fs = std::filesystem;

namespace {

// Rows and columns beyond what the Layout Properties sheet allows come only from damaged files;
// they would otherwise make pages of millions of empty rows.
constexpr int kMaxCanvasCells = 100;

CLayoutOption ClampedLayout(const CLayoutOption& layout) {
    CLayoutOption clamped = layout;
    clamped.mainCanvas.rows = std::clamp(clamped.mainCanvas.rows, 0, kMaxCanvasCells);
    clamped.mainCanvas.columns = std::clamp(clamped.mainCanvas.columns, 0, kMaxCanvasCells);
    return clamped;
}

std::string PlacePath(std::vector<std::string_view>& captions) {
    std::string path;
    for (auto caption = captions.rbegin(); caption != captions.rend(); ++caption) {
        if (!path.empty()) path += " > ";
        path += *caption;
    }
    return path;
}

// "Index > Photos > Summer": the folder's place in the tree, by captions.
std::string FolderPath(const CSiteNode* node) {
    std::vector<std::string_view> captions;
    for (; node != nullptr; node = node->Parent()) captions.push_back(node->Label());
    return PlacePath(captions);
}

std::string ItemPlace(std::string folderPath, const CSiteItem& item) {
    return folderPath + ", item \"" + std::string(item.caption.View()) + "\"";
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// What of a text a browser would run: a script element, an on...= attribute in a tag, or a
// javascript: link; "" when it holds none of these.
std::string ActiveMarkup(std::string_view text) {
    // Nothing runs without a tag or a scheme: most texts are passed over at once.
    if (text.find_first_of("<:") == std::string_view::npos) return {};
    const std::string lower = AsciiLower(text);
    for (std::size_t at = lower.find("<script"); at != std::string::npos;
         at = lower.find("<script", at + 1)) {
        const std::size_t after = at + 7;
        if (after == lower.size() || IsBlank(lower[after]) || lower[after] == '>' ||
            lower[after] == '/')
            return "a script element";
    }
    // Browsers drop tabs and line breaks inside a URL: "java\tscript:" runs too.
    std::string squeezed;
    for (const char c : lower)
        if (c != '\t' && c != '\n' && c != '\r') squeezed += c;
    if (squeezed.find("javascript:") != std::string::npos) return "a javascript: link";
    for (std::size_t open = lower.find('<'); open != std::string::npos;
         open = lower.find('<', open + 1)) {
        if (open + 1 >= lower.size() || !IsAsciiLetter(lower[open + 1])) continue;
        const std::size_t close = std::min(lower.find('>', open), lower.size());
        for (std::size_t i = open + 2; i + 2 < close; ++i) {
            const char before = lower[i - 1];
            if (!(IsBlank(before) || before == '/' || before == '"' || before == '\'')) continue;
            if (lower.compare(i, 2, "on") != 0 || !IsAsciiLetter(lower[i + 2])) continue;
            std::size_t j = i + 2;
            while (j < close && IsAsciiLetter(lower[j])) ++j;
            while (j < close && IsBlank(lower[j])) ++j;
            if (j < close && lower[j] == '=')
                return "an event attribute (" + std::string(text.substr(i, j - i)) + ")";
        }
    }
    return {};
}

// The hidden folder (a name starting with ".") a linked path names, or "". Both "/" and "\"
// separate names, as in any path a project holds.
std::string HiddenFolderOf(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t end = path.find_first_of("/\\"); end != std::string_view::npos;
         start = end + 1, end = path.find_first_of("/\\", start)) {
        const std::string_view name = path.substr(start, end - start);
        if (name.size() > 1 && name[0] == '.' && name != "..") return std::string(name);
    }
    return {};
}

// The links to a folder's sub-sites: in a row (compact, the Top Navigator) or one a line.
std::string FolderLinks(const ExportPlan& plan, const CHtmlWriter& writer, std::size_t index,
                        bool compact) {
    std::string links;
    for (const std::size_t child : plan.folders[index].children) {
        const PlannedFolder& entry = plan.folders[child];
        links +=
            CHtmlWriter::MakeLink(writer.Text(entry.Label()), EncodeLinkName(entry.baseName), true);
        if (!compact) links += "<BR>\n\n";
    }
    return links;
}

class CPlanBuilder {
public:
    CPlanBuilder(const ExportParameters& parameters, ExportPlan& plan)
        : parameters(parameters), plan(plan) {}

    void Build(const ExportFolderCheck* knownCheck, bool notes);

private:
    bool Cancelled() const { return parameters.cancel != nullptr && parameters.cancel->load(); }
    void NameFolders();
    void LinkPages(CPageComposer& composer);
    void InspectFiles();
    void InspectPicture(LinkedFile& file, const fs::path& source, const SourceState& state,
                        std::optional<PictureFacts>& facts);
    void InspectVideo(std::size_t index, const SourceState& state);
    void NameThumbnails();
    void FileProblems();
    void MarkupProblems();
    void Problem(ProblemKind kind, ProblemSeverity severity, std::string path, std::string where,
                 std::string detail, CFolderKey folder = {}, CItemKey item = {}) {
        plan.problems.push_back(
            {kind, severity, std::move(path), std::move(where), std::move(detail), folder, item});
    }

    const ExportParameters& parameters;
    ExportPlan& plan;
    CPageNameTable names;
    std::atomic<std::size_t> headersRead{0};
    std::mutex videoMutex;
};

void CPlanBuilder::Build(const ExportFolderCheck* knownCheck, bool notes) {
    plan.pageOption = parameters.pageOption;
    plan.texts = parameters.tree.KeptTexts();
    plan.project = ExportCacheProject(parameters.projectFile);
    const CPageOption& page = plan.pageOption;
    plan.copyFiles = page.general.copyLinkedFiles != 0;
    plan.layout = ClampedLayout(parameters.layoutOption);
    plan.pictures = parameters.pictures;
    plan.style = parameters.pages.style;
    plan.linkedFiles = CLinkedFiles(LinkedSourceFolder(parameters), parameters.pictures.modernTypes,
                                    parameters.pictures.box);
    if (knownCheck != nullptr)
        plan.folderCheck = *knownCheck;
    else if (!parameters.exportFolder.empty())
        plan.folderCheck = CheckExportFolder(parameters);
    plan.exportFolder =
        plan.folderCheck.folder.empty() ? parameters.exportFolder : plan.folderCheck.folder;
    // Read while the folders are named and the pages linked, which do not need it: the record of
    // a large website is megabytes.
    std::future<CExportCache> record;
    if (plan.folderCheck.state == ExportFolderState::NotEmpty && !parameters.full) {
        const auto read = [folder = plan.exportFolder, project = plan.project] {
            return CExportCache::Read(folder, project);
        };
        try {
            record = std::async(std::launch::async, read);
        } catch (const std::system_error&) {
            plan.record = read();
        }
    }
    if (plan.folderCheck.state == ExportFolderState::Refused ||
        plan.folderCheck.state == ExportFolderState::Unusable)
        plan.problems.push_back(ExportFolderProblem(plan.exportFolder, plan.folderCheck.message));
    for (const std::string& name : plan.folderCheck.kept)
        Problem(ProblemKind::KeptEntry, ProblemSeverity::Note,
                Utf8FromPath(plan.exportFolder / PathFromBytes(name)), "the export folder",
                "the user's own: never deleted by an export");

    plan.charset = PageCharset(page.saveEncoding.View());
    if (plan.charset != page.saveEncoding.View())
        Problem(ProblemKind::Charset, ProblemSeverity::Error, page.saveEncoding.Str(),
                "Website Properties > Language",
                "charset " + page.saveEncoding.Str() +
                    " is not known; the pages are written and declared in UTF-8");
    CTextEncoder encoder(plan.charset);
    if (!encoder.Problem().empty())
        Problem(ProblemKind::Charset, ProblemSeverity::Note, plan.charset,
                "Website Properties > Language", encoder.Problem());

    NameFolders();
    if (plan.style == PageStyle::Modern) PlanModernPages(plan, names);
    CHtmlWriter writer(page, plan.layout, plan.linkedFiles, &encoder);
    CPageComposer composer(writer);
    plan.topNavigator = FolderLinks(plan, writer, 0, true);
    // What the check saw of the linked files is taken, not kept in the plan.
    const std::shared_ptr<LinkedSourcesSeen> seen = std::move(plan.folderCheck.seen);
    std::vector<FoundSource>* found = nullptr;
    std::vector<std::string> linked;
    std::vector<std::uint32_t> occurrences;
    if (seen && seen->keep && seen->linked.size() == seen->sources.size()) {
        found = &seen->sources;
        linked = std::move(seen->linked);
        occurrences = std::move(seen->occurrences);
        // Taken: another plan from the same check looks again, and its digest vouches for
        // nothing.
        seen->keep = false;
    } else {
        linked = ProjectLinkedFiles(parameters.tree, parameters.pageOption, parameters.layoutOption,
                                    &occurrences);
    }
    std::vector<FoundSource> looked;
    if (found == nullptr) {
        looked.resize(linked.size());
        ParallelFor(linked.size(), [&](std::size_t i) {
            if (!Cancelled()) looked[i] = FindSource(plan.linkedFiles.SourceFile(linked[i]));
        });
        found = &looked;
    }
    if (!Cancelled()) plan.sourcesDigest = SourcesDigest(*found, occurrences);
    decltype(occurrences)().swap(occurrences);
    plan.linkedFiles.FindSources(std::move(linked), parameters.cancel, found);
    LinkPages(composer);
    plan.linkedFiles.ForgetFoundSources();
    plan.frame = composer.Frame();
    if (record.valid()) plan.record = record.get();
    if (Cancelled()) {
        plan.stopped = true;
        return;
    }
    InspectFiles();
    plan.stopped = Cancelled();
    NameThumbnails();
    if (plan.style == PageStyle::Modern) NameViews(plan);
    if (notes) {
        FileProblems();
        MarkupProblems();
        if (plan.style == PageStyle::Modern) AddModernStyleProblems(plan, plan.pageOption);
    }
    // Pages left unhashed when cancelled meanwhile are composed.
    if (!plan.stopped) HashPageInputs(plan, parameters.cancel);
}

// Base names are fixed for the whole tree before any page is composed, because a folder's pages
// link to sub-sites whose names are only settled in export order.
void CPlanBuilder::NameFolders() {
    const int rows = plan.layout.mainCanvas.rows;
    const int columns = plan.layout.mainCanvas.columns;
    std::vector<std::pair<const CSiteNode*, std::size_t>> stack{{parameters.tree.Root(), 0}};
    while (!stack.empty()) {
        const auto [node, parent] = stack.back();
        stack.pop_back();
        const std::size_t index = plan.folders.size();
        const std::string part = SafePageNamePart(node->Label());
        // The root's pages are always Index.htm, Index1.htm ...: nothing is named before it.
        const std::string wanted =
            index == 0 ? std::string("Index") : plan.folders[parent].baseName + "_" + part;
        const std::size_t pageCount = CanvasPageCount(node->Folder().items.size(), rows, columns);
        PlannedFolder& entry = plan.folders.emplace_back();
        entry.key = node->Key();
        entry.folder = node->Folder();
        entry.parent = parent;
        entry.pageCount = pageCount;
        const std::string fitted = CPageNameTable::FittedBase(wanted, pageCount);
        entry.baseName = names.Claim(wanted, pageCount, index);
        if (index > 0) plan.folders[parent].children.push_back(index);
        const std::size_t files = std::max<std::size_t>(pageCount, 1);
        for (std::size_t i = 0; i < files; ++i)
            plan.pages.push_back({index, i, PageFileName(entry.baseName, i)});

        const std::string first = PageFileName(entry.baseName, 0);
        if (index > 0 && part != node->Label())
            Problem(ProblemKind::UnsafeCharacters, ProblemSeverity::Note, first, FolderPath(node),
                    "characters no file name may hold were replaced by \"_\" in the page name",
                    node->Key());
        if (entry.baseName != fitted) {
            std::size_t owner = CUniqueNames::kNoOwner;
            std::string taken;
            for (std::size_t i = 0; i < files && owner == CUniqueNames::kNoOwner; ++i) {
                taken = PageFileName(fitted, i);
                owner = names.OwnerOf(taken);
            }
            std::string detail = "renamed from " + PageFileName(fitted, 0);
            if (owner != CUniqueNames::kNoOwner && owner != index)
                detail += ": " + taken + " is a page of " + PlannedFolderPath(plan, owner);
            Problem(ProblemKind::PageRenamed, ProblemSeverity::Note, first, FolderPath(node),
                    std::move(detail), node->Key());
        }
        const auto& children = node->Children();
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            stack.emplace_back(child->get(), index);
    }
}

// Links what the pages show in the order composing them would (every item cell of every folder,
// then the parts of the folder's first page, as every page of a folder shows the same bars), so
// that copies are named alike whenever the pages are composed, without composing them: the parts
// that are the same on every page are made and kept.
void CPlanBuilder::LinkPages(CPageComposer& composer) {
    const int rows = plan.layout.mainCanvas.rows;
    const int columns = plan.layout.mainCanvas.columns;
    for (std::size_t index = 0; index < plan.folders.size() && !Cancelled(); ++index) {
        const PlannedFolder& entry = plan.folders[index];
        plan.linkedFiles.SetFolder(entry.key);
        composer.LinkCanvasItems(entry.folder, rows, columns);
        plan.linkedFiles.SetFolder({});
        composer.MakeFrame(!entry.children.empty(), !entry.folder.description.empty(),
                           entry.pageCount > 1);
    }
}

// The state of every source as the plan uses it, and the size of every picture shown as a
// thumbnail.
void CPlanBuilder::InspectFiles() {
    std::vector<LinkedFile>& files = plan.linkedFiles.Files();
    plan.sources.assign(files.size(), {});
    plan.pictureFacts.assign(files.size(), std::nullopt);
    ParallelFor(files.size(), [&](std::size_t i) {
        if (Cancelled()) return;
        LinkedFile& file = files[i];
        SourceState& state = plan.sources[i];
        if (file.name.empty() || plan.copyFiles) state = file.found.state;
        // Without a thumbnail a picture that browsers cannot show is a link like any file.
        if (file.picture && (plan.pictures.thumbnails || !file.thumbnailOnly))
            InspectPicture(file, file.found.path, state, plan.pictureFacts[i]);
        else if (file.video && plan.pictures.thumbnails)
            InspectVideo(i, state);
    });
    std::sort(plan.videoProbes.begin(), plan.videoProbes.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    plan.headersRead = headersRead;
}

// The size of the box a picture is shown in, and whether it gets a thumbnail file and of which
// kind. Headers are read with stb_image (a JPEG's orientation with libexif), which is ten times
// quicker than libvips; libvips reads the rest only where a thumbnail of a picture that may be
// transparent is made, or where stb_image cannot read the picture (WebP, HEIC, AVIF, JPEG XL).
void CPlanBuilder::InspectPicture(LinkedFile& file, const fs::path& source,
                                  const SourceState& state, std::optional<PictureFacts>& facts) {
    const CPictureSettings& pictures = plan.pictures;
    const int box = pictures.box;
    // A source that has not changed since the record was written need not be read again.
    const PictureFacts* known =
        file.found.state.kind == SourceState::Kind::Regular
            ? plan.record.Picture(file.found.normalPath, file.found.state.stamp)
            : nullptr;
    if (known != nullptr) {
        facts = *known;
    } else {
        facts = PictureFacts{ProbePicture(source), false, std::nullopt};
        ++headersRead;
    }
    const PictureProbe& probe = facts->probe;
    std::optional<PictureSize> natural = probe.size;
    const auto larger = [&] { return ThumbnailSizeFor(*natural, box) != PictureSize{0, 0}; };
    bool transparent = false;
    bool thumbnailReadable = natural && probe.isJpeg;
    const bool asAlways = !pictures.thumbnails && !pictures.modernTypes;
    // A GIF or JPEG without its image data is no picture whatever libvips makes of its header.
    if (!asAlways && !probe.damaged &&
        (!natural || (pictures.thumbnails && !probe.isJpeg && larger()))) {
        if (!facts->headerRead) {
            facts->header = ReadPictureHeader(source);
            facts->headerRead = true;
        }
        if (const std::optional<PictureHeader>& header = facts->header) {
            natural = PictureSize{header->width, header->height};
            transparent = header->hasAlpha;
            thumbnailReadable = true;
        }
    }
    const bool sourceThere =
        state.kind == SourceState::Kind::Regular || state.kind == SourceState::Kind::NotLooked;
    if (!natural) {
        file.thumbnail = {box, box};
        if (sourceThere)
            file.pictureProblem = probe.damaged
                                      ? "the picture cannot be read: its image data is missing "
                                        "or cut short"
                                      : MediaModuleFailure().value_or("the picture cannot be read");
        return;
    }
    file.thumbnail = ThumbnailSizeFor(*natural, box);
    file.natural = *natural;
    if (!pictures.thumbnails || (!larger() && !file.thumbnailOnly)) return;
    if (!thumbnailReadable) {
        if (sourceThere)
            file.pictureProblem =
                MediaModuleFailure().value_or("not a JPEG, GIF, PNG or WebP picture");
        return;
    }
    if (static_cast<std::int64_t>(natural->width) * natural->height > plan.MaxThumbnailPixels()) {
        if (sourceThere)
            file.pictureProblem = TooLargeForThumbnail(natural->width, natural->height);
        return;
    }
    // A thumbnail stands in for a HEIC or AVIF as a photo: a JPEG, on white where transparent.
    file.thumbPng = transparent && !file.thumbnailOnly;
    // Named below, in plan order; a name marks the thumbnail as wanted until then.
    file.thumbName = ".";
}

// A video's poster is made when its container can be read: shown at the size a thumbnail of a
// picture of the video's size would be, with the video's duration beside it.
void CPlanBuilder::InspectVideo(std::size_t index, const SourceState& state) {
    if (state.kind != SourceState::Kind::Regular && state.kind != SourceState::Kind::NotLooked)
        return;
    LinkedFile& file = plan.linkedFiles.Files()[index];
    // A video that has not changed since the record was written need not be opened again.
    const bool stamped = file.found.state.kind == SourceState::Kind::Regular;
    const VideoProbe* known =
        stamped ? plan.record.Video(file.found.normalPath, file.found.state.stamp) : nullptr;
    VideoProbe probe;
    if (known != nullptr) {
        probe = *known;
    } else {
        probe = ReadVideoFacts(file.found.path);
        ++headersRead;
    }
    if (stamped) {
        const std::scoped_lock lock(videoMutex);
        plan.videoProbes.emplace_back(index, probe);
    }
    if (!probe.facts) {
        file.pictureProblem = probe.reason;
        return;
    }
    const PictureSize natural{probe.facts->width, probe.facts->height};
    file.natural = natural;
    file.thumbnail = ThumbnailSizeFor(natural, plan.pictures.box);
    file.durationMs = probe.facts->durationMs;
    file.recorded = probe.facts->created.value_or("");
    if (static_cast<std::int64_t>(natural.width) * natural.height > plan.MaxThumbnailPixels()) {
        file.pictureProblem = TooLargeForThumbnail(natural.width, natural.height);
        return;
    }
    file.thumbName = ".";
}

// Thumbnails are named after the copy they show and the settings they were made with, so that
// a changed setting makes new files: LOGO.GIF.200q85.jpg, CLEAR.PNG.200.png. Names are claimed
// in plan order, so each export names them alike.
void CPlanBuilder::NameThumbnails() {
    if (!plan.pictures.thumbnails) return;
    std::vector<LinkedFile>& files = plan.linkedFiles.Files();
    CUniqueNames taken;
    const std::string settings = "." + std::to_string(plan.ThumbnailSide());
    for (std::size_t i = 0; i < files.size(); ++i) {
        LinkedFile& file = files[i];
        const SourceState& state = plan.sources[i];
        const bool sourceThere =
            state.kind == SourceState::Kind::Regular || state.kind == SourceState::Kind::NotLooked;
        if (file.thumbName.empty()) {
            // A video whose container cannot be read is only noted: its page links to it.
            if (file.picture && sourceThere && !file.pictureProblem.empty())
                plan.thumbnails.push_back(i);
            continue;
        }
        const std::string ending =
            file.thumbPng ? settings + ".png"
                          : settings + "q" + std::to_string(plan.pictures.quality) + ".jpg";
        const auto fitted = [&](std::string_view suffix) {
            const std::size_t room = kMaxFileNameBytes - ending.size() - suffix.size();
            return file.name.substr(0, Utf8SafePrefixLength(file.name, room)) +
                   std::string(suffix) + ending;
        };
        const std::string suffix =
            taken.Claim(i, 1, [&](std::string_view suffix, std::size_t) { return fitted(suffix); });
        file.thumbName = fitted(suffix);
        file.thumbLink =
            "./" + std::string(kThumbnailFolderName) + "/" + EncodeLinkName(file.thumbName);
        plan.thumbnails.push_back(i);
    }
}

void CPlanBuilder::FileProblems() {
    const auto& files = plan.linkedFiles.Files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const LinkedFile& file = files[i];
        std::string where = file.property;
        if (file.itemKey) {
            const CSiteItem* item = parameters.tree.Find(file.itemKey);
            const CSiteNode* node = parameters.tree.Find(file.folderKey);
            if (item != nullptr && node != nullptr) where = ItemPlace(FolderPath(node), *item);
        }
        const auto problem = [&](ProblemKind kind, ProblemSeverity severity, std::string detail) {
            Problem(kind, severity, file.source, where, std::move(detail), file.folderKey,
                    file.itemKey);
        };
        const SourceState& state = plan.sources[i];
        switch (state.kind) {
            case SourceState::Kind::Missing:
                problem(ProblemKind::MissingFile, ProblemSeverity::Error, state.reason);
                break;
            case SourceState::Kind::Ambiguous:
                problem(ProblemKind::AmbiguousFile, ProblemSeverity::Error, state.reason);
                break;
            case SourceState::Kind::Unreadable:
                problem(ProblemKind::UnreadableFile, ProblemSeverity::Error, state.reason);
                break;
            case SourceState::Kind::NotRegular:
                problem(ProblemKind::NotAFile, ProblemSeverity::Error, state.reason);
                break;
            case SourceState::Kind::NoName:
                if (plan.copyFiles)
                    problem(ProblemKind::NotAFile, ProblemSeverity::Error, state.reason);
                break;
            case SourceState::Kind::NotLooked:
            case SourceState::Kind::Regular:
                break;
        }
        if (file.video && !file.pictureProblem.empty())
            problem(ProblemKind::UnreadableVideo, ProblemSeverity::Note,
                    "no poster: " + file.pictureProblem + ", so the page links to the video");
        else if (file.picture && !file.pictureProblem.empty())
            problem(ProblemKind::UnreadablePicture, ProblemSeverity::Note,
                    file.pictureProblem + (file.thumbnailOnly
                                               ? ", so the page links to the file"
                                               : ", so the page shows the file itself in the box"));
        if (const std::string hidden = HiddenFolderOf(file.source); !hidden.empty())
            problem(ProblemKind::HiddenFolder, ProblemSeverity::Note,
                    "it lies inside the hidden folder " + hidden);
        if (!file.wantedName.empty()) {
            std::string detail = "copied as " + file.name;
            if (file.clashWith != LinkedFile::kNone)
                detail +=
                    ": " + file.wantedName + " is the copy of " + files[file.clashWith].source;
            problem(ProblemKind::CopyRenamed, ProblemSeverity::Note, std::move(detail));
        }
    }
}

void CPlanBuilder::MarkupProblems() {
    const auto check = [&](std::string_view text, std::string_view field, std::string path,
                           std::string where, CFolderKey folder = {}, CItemKey item = {}) {
        if (const std::string found = ActiveMarkup(text); !found.empty())
            Problem(ProblemKind::ActiveMarkup, ProblemSeverity::Note, std::move(path),
                    std::move(where),
                    "the " + std::string(field) + " holds " + found + ", which browsers run",
                    folder, item);
    };
    const CPageOption& page = plan.pageOption;
    check(page.header, "header", "every page", "Website Properties > Header");
    check(page.footer, "footer", "every page", "Website Properties > Footer");
    for (const auto& meta : page.metaVariables)
        check(meta->value.View(), "meta variable " + meta->name.Str(), "every page",
              "Website Properties > Custom");
    for (std::size_t index = 0; index < plan.folders.size(); ++index) {
        const PlannedFolder& entry = plan.folders[index];
        const CSiteFolder& folder = entry.folder;
        const std::string firstPage = PageFileName(entry.baseName, 0);
        const std::string place = PlannedFolderPath(plan, index);
        const CFolderKey key = entry.key;
        check(folder.caption, "caption", firstPage, place, key);
        check(folder.description, "description", firstPage, place, key);
        for (const CSiteItem& item : folder.items) {
            if (item.caption.empty() && item.description.empty()) continue;
            const std::string itemPlace = ItemPlace(place, item);
            check(item.caption, "caption", firstPage, itemPlace, key, item.key);
            check(item.description, "description", firstPage, itemPlace, key, item.key);
        }
    }
}

}  // namespace

std::string_view ProblemKindName(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::MissingFile:
            return "missing file";
        case ProblemKind::AmbiguousFile:
            return "ambiguous file";
        case ProblemKind::UnreadableFile:
            return "unreadable file";
        case ProblemKind::NotAFile:
            return "not a file";
        case ProblemKind::ExportFolder:
            return "export folder";
        case ProblemKind::PageRenamed:
            return "page renamed";
        case ProblemKind::CopyRenamed:
            return "copy renamed";
        case ProblemKind::UnsafeCharacters:
            return "unsafe characters";
        case ProblemKind::ActiveMarkup:
            return "active markup";
        case ProblemKind::HiddenFolder:
            return "hidden folder";
        case ProblemKind::PlainFtp:
            return "plain ftp";
        case ProblemKind::UnreadablePicture:
            return "unreadable picture";
        case ProblemKind::UnreadableVideo:
            return "unreadable video";
        case ProblemKind::KeptEntry:
            return "kept";
        case ProblemKind::LowContrast:
            return "low contrast";
        case ProblemKind::NoCaption:
            return "no caption";
        case ProblemKind::Charset:
            break;
    }
    return "charset";
}

std::string_view SeverityName(ProblemSeverity severity) {
    return severity == ProblemSeverity::Error ? "error" : "note";
}

std::optional<ExportProblem> PublishAddressProblem(const std::string& url) {
    std::string scheme = url.substr(0, std::min<std::size_t>(url.size(), 6));
    for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (scheme != "ftp://") return std::nullopt;
    return ExportProblem{ProblemKind::PlainFtp,
                         ProblemSeverity::Note,
                         url,
                         "Website Properties > Publish",
                         "plain FTP sends the password and every file in clear; use sftp:// or "
                         "ftps:// where the host offers it",
                         {},
                         {}};
}

ExportProblem ExportFolderProblem(const fs::path& folder, std::string message) {
    return {ProblemKind::ExportFolder,
            ProblemSeverity::Error,
            Utf8FromPath(folder),
            "Website Properties > General > Location",
            std::move(message),
            {},
            {}};
}

std::size_t ExportPlan::ErrorCount() const {
    return static_cast<std::size_t>(std::count_if(
        problems.begin(), problems.end(),
        [](const ExportProblem& problem) { return problem.severity == ProblemSeverity::Error; }));
}

PageTexts PlannedPageTexts(const ExportPlan& plan, const CHtmlWriter& writer, std::size_t folder,
                           std::size_t page, std::string itemRows) {
    const PlannedFolder& entry = plan.folders[folder];
    const CSiteFolder& record = entry.folder;
    PageTexts texts;
    texts.caption = record.caption.Str();
    texts.topNavigator = plan.topNavigator;
    // From the root down to this folder, each folder's link.
    std::vector<std::size_t> chain{folder};
    while (chain.back() != 0) chain.push_back(plan.folders[chain.back()].parent);
    for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
        if (link != chain.rbegin()) texts.history += "->";
        const PlannedFolder& step = plan.folders[*link];
        texts.history +=
            CHtmlWriter::MakeLink(writer.Text(step.Label()), EncodeLinkName(step.baseName), true);
    }
    texts.nextNavigator = FolderLinks(plan, writer, folder, false);
    texts.canvasHeading = record.description.Str();
    texts.itemRows = std::move(itemRows);
    // The current number bare among up to nine numbered links each side; "Previous" and "Next"
    // jump ten pages.
    const std::size_t count = entry.pageCount;
    if (count > 0) {
        const std::string target = EncodeLinkName(entry.baseName);
        const auto targetOf = [&](std::size_t j) {
            return j > 0 ? target + std::to_string(j) : target;
        };
        const std::size_t first = page >= 10 ? page - 10 : 0;
        const std::size_t last = std::min(count - 1, page + 10);
        for (std::size_t j = first; j <= last; ++j) {
            if (j == page)
                texts.indexText += std::to_string(j + 1);
            else if (j + 10 == page)
                texts.indexText += CHtmlWriter::MakeLink("Previous", targetOf(j), true);
            else if (j == page + 10)
                texts.indexText += CHtmlWriter::MakeLink("Next", targetOf(j), true);
            else
                texts.indexText += CHtmlWriter::MakeLink(std::to_string(j + 1), targetOf(j), true);
        }
    }
    return texts;
}

std::string PlannedFolderPath(const ExportPlan& plan, std::size_t folder) {
    std::vector<std::string_view> captions{plan.folders[folder].Label()};
    for (; folder != 0; folder = plan.folders[folder].parent)
        captions.push_back(plan.folders[plan.folders[folder].parent].Label());
    return PlacePath(captions);
}

ExportPlan BuildExportPlan(const ExportParameters& parameters, const ExportFolderCheck* knownCheck,
                           bool notes) {
    ExportPlan plan;
    CPlanBuilder(parameters, plan).Build(knownCheck, notes);
    return plan;
}
