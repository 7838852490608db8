#include "ProjectFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "FileWrite.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;
using namespace ProjectFileLayout;

namespace {

// Stores straight into a buffer sized beforehand (ProjectSize). Integers are encoded byte by
// byte so that the file is the same on every host.
class ByteWriter {
public:
    explicit ByteWriter(unsigned char* output) : out(output) {}

    unsigned char* Position() const { return out; }
    void U32(std::uint32_t value) {
        out[0] = static_cast<unsigned char>(value & 0xFF);
        out[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
        out[2] = static_cast<unsigned char>((value >> 16) & 0xFF);
        out[3] = static_cast<unsigned char>((value >> 24) & 0xFF);
        out += 4;
    }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void Zeros(std::size_t count) {
        std::memset(out, 0, count);
        out += count;
    }
    template <std::size_t N>
    void Field(const CTextField<N>& field) {
        std::memcpy(out, field.Bytes().data(), N);
        out += N;
    }
    // Lengths were checked by ProjectSize.
    void Counted(std::string_view text) {
        I32(static_cast<std::int32_t>(text.size()));
        if (!text.empty()) std::memcpy(out, text.data(), text.size());
        out += text.size();
    }

private:
    unsigned char* out;
};

void WriteFont(ByteWriter& w, const CFontOption& font) {
    w.I32(kFontTag);
    w.Field(font.faceName);
    w.I32(font.pointSize);
    w.I32(font.bold);
    w.I32(font.italic);
    w.I32(font.underline);
    w.I32(font.strikeOut);
    w.U32(font.color);
}

void WriteArea(ByteWriter& w, const CLayoutAreaOption& area, std::int32_t tag) {
    w.I32(tag);
    w.Field(area.alignment);
    w.Field(area.imagePath);
    w.Zeros(2);
    w.U32(area.bgColor);
    WriteFont(w, area.font);
}

void WriteHeader(ByteWriter& w, const CPageOption& page, const CLayoutOption& layout) {
    w.I32(kVersion);

    const CPageBKGDOption& bg = page.background;
    w.I32(kBackgroundTag);
    w.I32(bg.specifyBackground);
    w.I32(bg.useBackgroundImage);
    w.I32(bg.watermark);
    w.Field(bg.backgroundImage);
    w.I32(bg.useDefaultColors);
    w.U32(bg.bgColor);
    w.U32(bg.textColor);
    w.U32(bg.linkColor);
    w.U32(bg.activeLinkColor);
    w.U32(bg.visitedLinkColor);

    const CPageGeneralOption& general = page.general;
    w.I32(kGeneralTag);
    w.Field(general.location);
    w.Field(general.title);
    w.Field(general.soundLocation);
    w.Zeros(3);
    w.I32(general.soundLoop);
    w.I32(general.copyLinkedFiles);

    w.Field(page.loadEncoding);
    w.Field(page.saveEncoding);

    const CPageMarginsOption& margins = page.margins;
    w.I32(kMarginsTag);
    w.I32(margins.specifyTopMargin);
    w.I32(margins.specifyLeftMargin);
    w.I32(margins.topMargin);
    w.I32(margins.leftMargin);

    w.Counted(page.header);
    w.Counted(page.footer);

    w.I32(static_cast<std::int32_t>(page.metaVariables.size()));
    for (const auto& meta : page.metaVariables) {
        w.Field(meta->name);
        w.Field(meta->value);
        w.I32(meta->systemVariable);
    }

    w.I32(kLayoutTag);
    w.I32(layout.layout);
    for (const CLayoutAreaOption& area : layout.areas) WriteArea(w, area, kAreaTag);
    const CLayoutTableOption& table = layout.table;
    w.I32(kTableTag);
    w.U32(table.borderColor);
    w.I32(table.borderWidth);
    w.U32(table.cellLineColor);
    w.I32(table.cellLineWidth);
    w.I32(table.cellPadding);
    w.I32(table.cellSpacing);
    w.Field(table.alignment);
    const CLayoutMainOption& main = layout.mainCanvas;
    WriteArea(w, main, kMainTag);
    w.I32(main.columns);
    w.I32(main.rows);
    w.Field(main.cellAlignment);
}

constexpr auto kMaxCount = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

std::size_t CountedSize(std::string_view text) {
    if (text.size() > kMaxCount) throw std::length_error("a text is too long for a project file");
    return 4 + text.size();
}

std::size_t HeaderSize(const CPageOption& page) {
    if (page.metaVariables.size() > kMaxCount)
        throw std::length_error("too many meta variables for a project file");
    return kHeaderTextOffset + CountedSize(page.header) + CountedSize(page.footer) + 4 +
           kMetaBlockSize * page.metaVariables.size() + kLayoutBlockSize;
}

std::size_t FolderHeadSize(const CSiteFolder& folder) {
    if (folder.items.size() > kMaxCount)
        throw std::length_error("too many items in one folder for a project file");
    return 8 + CountedSize(folder.caption) + CountedSize(folder.description);
}

std::size_t ItemSize(const CSiteItem& item) {
    return 4 + CountedSize(item.caption) + CountedSize(item.description) + CountedSize(item.url);
}

// The exact size of the file; throws std::length_error when something does not fit its 32-bit
// counts and lengths.
std::size_t ProjectSize(const CPageOption& page, const CSiteTree& tree) {
    std::size_t size = HeaderSize(page);
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        const CSiteFolder& folder = node.Folder();
        size += FolderHeadSize(folder);
        for (const CSiteItem& item : folder.items) size += ItemSize(item);
    });
    return size;
}

void WriteFolderHead(ByteWriter& w, const CSiteFolder& folder, int depth) {
    w.I32(depth);
    w.I32(static_cast<std::int32_t>(folder.items.size()));
    w.Counted(folder.caption);
    w.Counted(folder.description);
}

// The stored id is the item's position, which a reader can rely on.
void WriteItem(ByteWriter& w, const CSiteItem& item, std::int32_t position) {
    w.I32(position);
    w.Counted(item.caption);
    w.Counted(item.description);
    w.Counted(item.url);
}

void WriteFolder(ByteWriter& w, const CSiteFolder& folder, int depth) {
    WriteFolderHead(w, folder, depth);
    std::int32_t position = 0;
    for (const CSiteItem& item : folder.items) WriteItem(w, item, position++);
}

// Writes exactly ProjectSize bytes to out.
void WriteProject(unsigned char* out, const CPageOption& page, const CLayoutOption& layout,
                  const CSiteTree& tree) {
    ByteWriter writer(out);
    WriteHeader(writer, page, layout);
    tree.ForEachDepthFirst(
        [&](const CSiteNode& node, int depth) { WriteFolder(writer, node.Folder(), depth); });
}

// Reads from a file image held in memory; every read checks the bytes that are left first, so a
// damaged count can never make the reader allocate or copy more than the file holds.
class ByteReader {
public:
    explicit ByteReader(std::span<const unsigned char> data)
        : start(data.data()), at(data.data()), end(data.data() + data.size()) {}

    std::size_t Remaining() const { return static_cast<std::size_t>(end - at); }
    std::size_t Position() const { return static_cast<std::size_t>(at - start); }

    // A cursor rather than an index: each length read decides where the next one is, and a
    // plain pointer makes that chain of loads as short as it can be.
    const unsigned char* Take(std::size_t count) {
        if (count > Remaining()) return nullptr;
        const unsigned char* taken = at;
        at += count;
        return taken;
    }
    bool Skip(std::size_t count) { return Take(count) != nullptr; }
    bool U32(std::uint32_t& value) {
        const unsigned char* p = Take(4);
        if (!p) return false;
        value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        return true;
    }
    bool I32(std::int32_t& value) {
        std::uint32_t raw = 0;
        if (!U32(raw)) return false;
        value = static_cast<std::int32_t>(raw);
        return true;
    }
    template <std::size_t N>
    bool Field(CTextField<N>& field) {
        const unsigned char* p = Take(N);
        if (!p) return false;
        field.AssignRaw(p);
        return true;
    }
    // A length L, then L bytes. A negative length, or one longer than what is left, fails
    // before anything is allocated.
    bool Counted(std::string& text) {
        std::int32_t length = 0;
        if (!I32(length) || length < 0) return false;
        const unsigned char* p = Take(static_cast<std::size_t>(length));
        if (!p) return false;
        text.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
        return true;
    }
    // A length L, then L bytes that the text borrows from the image.
    bool Borrowed(CSiteText& text) {
        std::int32_t length = 0;
        if (!I32(length) || length < 0) return false;
        const unsigned char* p = Take(static_cast<std::size_t>(length));
        if (!p) return false;
        text = CSiteText::Borrow(
            std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length)));
        return true;
    }
    // Header and footer texts end at their first NUL byte, as the window shows them.
    bool CountedText(std::string& text) {
        if (!Counted(text)) return false;
        if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
        return true;
    }

private:
    const unsigned char* start;
    const unsigned char* at;
    const unsigned char* end;
};

bool ReadFont(ByteReader& r, CFontOption& font) {
    return r.Skip(4) && r.Field(font.faceName) && r.I32(font.pointSize) && r.I32(font.bold) &&
           r.I32(font.italic) && r.I32(font.underline) && r.I32(font.strikeOut) &&
           r.U32(font.color);
}

bool ReadArea(ByteReader& r, CLayoutAreaOption& area) {
    return r.Skip(4) && r.Field(area.alignment) && r.Field(area.imagePath) && r.Skip(2) &&
           r.U32(area.bgColor) && ReadFont(r, area.font);
}

bool ReadPageBlocks(ByteReader& r, CPageOption& page) {
    CPageBKGDOption& bg = page.background;
    CPageGeneralOption& general = page.general;
    CPageMarginsOption& margins = page.margins;
    if (!(r.Skip(4) && r.I32(bg.specifyBackground) && r.I32(bg.useBackgroundImage) &&
          r.I32(bg.watermark) && r.Field(bg.backgroundImage) && r.I32(bg.useDefaultColors) &&
          r.U32(bg.bgColor) && r.U32(bg.textColor) && r.U32(bg.linkColor) &&
          r.U32(bg.activeLinkColor) && r.U32(bg.visitedLinkColor)))
        return false;
    if (!(r.Skip(4) && r.Field(general.location) && r.Field(general.title) &&
          r.Field(general.soundLocation) && r.Skip(3) && r.I32(general.soundLoop) &&
          r.I32(general.copyLinkedFiles)))
        return false;
    if (!(r.Field(page.loadEncoding) && r.Field(page.saveEncoding))) return false;
    if (!(r.Skip(4) && r.I32(margins.specifyTopMargin) && r.I32(margins.specifyLeftMargin) &&
          r.I32(margins.topMargin) && r.I32(margins.leftMargin)))
        return false;
    if (!(r.CountedText(page.header) && r.CountedText(page.footer))) return false;

    std::int32_t metaCount = 0;
    if (!r.I32(metaCount) || metaCount < 0) return false;
    if (static_cast<std::uint64_t>(metaCount) * kMetaBlockSize > r.Remaining()) return false;
    page.metaVariables.clear();
    page.metaVariables.reserve(static_cast<std::size_t>(metaCount));
    for (std::int32_t i = 0; i < metaCount; ++i) {
        auto meta = std::make_unique<CMetaVariable>();
        if (!(r.Field(meta->name) && r.Field(meta->value) && r.I32(meta->systemVariable)))
            return false;
        page.metaVariables.push_back(std::move(meta));
    }
    return true;
}

bool ReadLayoutBlock(ByteReader& r, CLayoutOption& layout) {
    if (!(r.Skip(4) && r.I32(layout.layout))) return false;
    for (CLayoutAreaOption& area : layout.areas)
        if (!ReadArea(r, area)) return false;
    CLayoutTableOption& table = layout.table;
    if (!(r.Skip(4) && r.U32(table.borderColor) && r.I32(table.borderWidth) &&
          r.U32(table.cellLineColor) && r.I32(table.cellLineWidth) && r.I32(table.cellPadding) &&
          r.I32(table.cellSpacing) && r.Field(table.alignment)))
        return false;
    CLayoutMainOption& main = layout.mainCanvas;
    return ReadArea(r, main) && r.I32(main.columns) && r.I32(main.rows) &&
           r.Field(main.cellAlignment);
}

enum class HeaderOutcome { Read, WrongVersion, Damaged };

HeaderOutcome ReadHeader(ByteReader& r, CPageOption& page, CLayoutOption& layout) {
    page.Reset(false);
    layout.Reset();
    std::int32_t version = 0;
    if (!r.I32(version)) return HeaderOutcome::Damaged;
    if (version != kVersion) return HeaderOutcome::WrongVersion;
    // The blocks are read into copies and taken over only when the whole header is good, so a
    // damaged header cannot leave half of its values behind in the fields Reset keeps.
    try {
        CPageOption readPage(page);
        CLayoutOption readLayout(layout);
        if (!ReadPageBlocks(r, readPage) || !ReadLayoutBlock(r, readLayout))
            return HeaderOutcome::Damaged;
        page = std::move(readPage);
        layout = readLayout;
        return HeaderOutcome::Read;
    } catch (const std::bad_alloc&) {
        return HeaderOutcome::Damaged;
    }
}

struct FolderRecord {
    std::int32_t level = 0;
    CSiteFolder folder;
};

constexpr std::size_t kItemRecordMinSize = 16;  // id, three empty strings

// The rest of a folder record after its level: the folder's texts and all its items, into a
// folder whose items are replaced (its storage is reused). False when the record is cut off or
// damaged. The texts borrow from the image the reader reads.
bool ReadFolderBody(ByteReader& r, CSiteFolder& folder) {
    std::int32_t count = 0;
    if (!(r.I32(count) && count >= 0 && r.Borrowed(folder.caption) &&
          r.Borrowed(folder.description)))
        return false;
    if (static_cast<std::uint64_t>(count) * kItemRecordMinSize > r.Remaining()) return false;
    folder.items.clear();
    folder.items.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        CSiteItem& item = folder.items.emplace_back();
        std::int32_t storedId = 0;
        if (!(r.I32(storedId) && r.Borrowed(item.caption) && r.Borrowed(item.description) &&
              r.Borrowed(item.url)))
            return false;
    }
    return true;
}

// One folder record with all its items, or nothing when the record is cut off or damaged.
std::optional<FolderRecord> ReadFolder(ByteReader& r) {
    FolderRecord record;
    if (!(r.I32(record.level) && ReadFolderBody(r, record.folder))) return std::nullopt;
    return record;
}

// The file's image, kept by the project whose texts borrow from it.
struct FileImage {
    std::shared_ptr<const unsigned char[]> bytes;
    std::size_t size = 0;
    std::size_t start = 0;  // where the part of interest begins

    std::span<const unsigned char> Span() const { return {bytes.get() + start, size - start}; }
};

// The part of the image from `offset` on, in storage of its own when the part before it (the
// header's texts, which the page properties copy) is the larger one, so that a project never
// keeps much more than its tree's bytes.
FileImage TreePart(const FileImage& image, std::size_t offset) {
    if (offset <= image.size / 2) return {image.bytes, image.size, offset};
    const std::size_t size = image.size - offset;
    std::shared_ptr<unsigned char[]> copy = std::make_shared_for_overwrite<unsigned char[]>(size);
    if (size > 0) std::memcpy(copy.get(), image.bytes.get() + offset, size);
    return {std::move(copy), size, 0};
}

// The bytes of a file image held whole: nothing more comes.
class ImageSource {
public:
    explicit ImageSource(std::span<const unsigned char> bytes) : bytes(bytes) {}

    ByteReader Window() const { return ByteReader(bytes.subspan(at)); }
    void Consume(std::size_t count) { at += count; }
    bool More() { return false; }

private:
    std::span<const unsigned char> bytes;
    std::size_t at = 0;
};

// Bytes read piece by piece into a window that grows only as far as one record needs, so that a
// reader that keeps nothing holds a few hundred kilobytes of a file of any size. A record is read
// from the window; when it does not end in it, More() reads on and the record is read again from
// its start, so that the outcome is the one the whole image gives.
class WindowSource {
public:
    // Up to `count` bytes into `into`; 0 at the end.
    using Read = std::function<std::size_t(unsigned char* into, std::size_t count)>;

    WindowSource(Read read, std::size_t firstSize) : read(std::move(read)), step(firstSize) {}

    ByteReader Window() const { return ByteReader({buffer.get() + begin, end - begin}); }
    void Consume(std::size_t count) { begin += count; }
    // Reads more after what is not consumed yet; false at the end of the bytes.
    bool More() {
        if (atEnd) return false;
        if (begin > 0) {
            std::memmove(buffer.get(), buffer.get() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        if (end == size) {
            const std::size_t grown = std::max(step, 2 * size);
            auto larger = std::make_unique_for_overwrite<unsigned char[]>(grown);
            if (end > 0) std::memcpy(larger.get(), buffer.get(), end);
            buffer = std::move(larger);
            size = grown;
        }
        const std::size_t got = read(buffer.get() + end, size - end);
        if (got == 0) {
            atEnd = true;
            return false;
        }
        end += got;
        return true;
    }

private:
    Read read;
    std::size_t step;
    std::unique_ptr<unsigned char[]> buffer;
    std::size_t size = 0;
    std::size_t begin = 0;  // the unconsumed bytes are [begin, end)
    std::size_t end = 0;
    bool atEnd = false;
};

}  // namespace

// Builds the folder records of a file image straight into a tree that nobody observes yet,
// each item taking its key and its place in one pass over its bytes.
class CSiteTreeLoader {
public:
    explicit CSiteTreeLoader(CSiteTree& tree) : tree(tree) {}

    CFolderKey Root() const { return tree.RootKey(); }
    void Prepare(std::size_t bytes) {
        // Room for the keys of every item the bytes can hold (16 bytes at least each); pages of it
        // that are never written cost no memory.
        tree.itemSlots.reserve(tree.itemSlots.size() + bytes / kItemRecordMinSize);
    }

    // Reads the rest of a folder record (after its level) and appends the folder below parent;
    // none when the record is cut off or damaged (the tree is then as it was).
    CFolderKey Append(CFolderKey parentKey, ByteReader& r) {
        using Slot = CSiteTree::ItemSlot;
        auto node = std::make_unique<CSiteNode>(CSiteNode::Token{});
        CSiteFolder& folder = node->folder;
        std::int32_t count = 0;
        if (!(r.I32(count) && count >= 0 && r.Borrowed(folder.caption) &&
              r.Borrowed(folder.description)))
            return {};
        const auto items = static_cast<std::size_t>(count);
        if (static_cast<std::uint64_t>(count) * kItemRecordMinSize > r.Remaining()) return {};
        CSiteNode& parent = *tree.Node(parentKey);
        const std::size_t first = tree.itemSlots.size();
        if (items > std::numeric_limits<std::uint32_t>::max() - first)
            throw std::length_error("too many items for one project");
        // Room for the new child first, so that nothing below can fail half-way; it grows as
        // push_back would, or a folder of many sub-sites would be copied once per sub-site.
        if (parent.children.size() == parent.children.capacity())
            parent.children.reserve(std::max<std::size_t>(4, 2 * parent.children.size()));
        folder.items.reserve(items);
        const CFolderKey key = tree.TakeFolderKey();
        tree.itemSlots.resize(first + items);
        Slot* slots = tree.itemSlots.data() + first;
        for (std::size_t i = 0; i < items; ++i) {
            CSiteItem& item = folder.items.emplace_back();
            std::int32_t storedId = 0;
            if (!(r.I32(storedId) && r.Borrowed(item.caption) && r.Borrowed(item.description) &&
                  r.Borrowed(item.url))) {
                // Nothing has these keys yet: they are simply not handed out.
                tree.itemSlots.resize(first);
                return {};
            }
            item.key = CItemKey{static_cast<std::uint32_t>(first + i)};
            item.id = static_cast<std::int32_t>(i);
            slots[i] = Slot{key.value, static_cast<std::uint32_t>(i)};
        }
        folder.itemCount = count;
        folder.id = tree.nextFolderId++;
        node->key = key;
        node->parent = &parent;
        node->position = parent.children.size();
        tree.folderSlots[key.value] = node.get();
        ++tree.folderCount;
        tree.itemCount += items;
        parent.children.push_back(std::move(node));
        return key;
    }

    CFolderKey ParentOf(CFolderKey key) const {
        const CSiteNode* parent = tree.Find(key)->Parent();
        return parent ? parent->Key() : CFolderKey{};
    }

private:
    CSiteTree& tree;
};

namespace {

// Reads the folder records that follow the root's, each below the folder its level names, into
// the sink (CSiteTreeLoader or CFolderStreamer); returns the number of records taken and whether
// they ran to the end of the bytes.
template <typename Source, typename Sink>
std::pair<std::size_t, bool> ReadSubFolders(Source& source, Sink& sink) {
    using Key = decltype(sink.Root());
    const Key root = sink.Root();
    std::size_t foldersRead = 0;
    bool complete = true;
    // Levels are compared in 64 bits: a difference of two stored int32 values can overflow 32.
    std::int64_t previousLevel = 0;
    Key parent{};
    Key last = root;
    try {
        sink.Prepare(source.Window().Remaining());
        for (;;) {
            ByteReader r = source.Window();
            if (r.Remaining() == 0) {
                if (source.More()) continue;
                break;
            }
            std::int32_t stored = 0;
            if (!r.I32(stored)) {
                if (source.More()) continue;
                complete = false;
                break;
            }
            const std::int64_t level = stored;
            Key recordParent = parent;
            if (level > previousLevel) {
                recordParent = last;
            } else if (level < previousLevel) {
                // Climbing stops at the top, so a huge difference costs no more than the depth.
                for (std::int64_t steps = previousLevel - level; steps > 0 && recordParent; --steps)
                    recordParent = sink.ParentOf(recordParent);
            }
            // There is only one top-level node: a record that would make another goes under the
            // root.
            const Key added = sink.Append(recordParent ? recordParent : root, r);
            if (!added) {
                if (source.More()) continue;
                complete = false;
                break;
            }
            source.Consume(r.Position());
            parent = recordParent;
            last = added;
            previousLevel = level;
            ++foldersRead;
        }
    } catch (const std::bad_alloc&) {
        complete = false;
    } catch (const std::length_error&) {
        complete = false;
    }
    return {foldersRead, complete};
}

// Builds the tree from the folder records of the image; returns it with the number of folders
// taken and whether the records ran to the end of the file.
std::pair<std::size_t, bool> ReadTree(const FileImage& image, CSiteTree& tree) {
    ByteReader r(image.Span());
    std::optional<FolderRecord> rootRecord;
    try {
        rootRecord = ReadFolder(r);
    } catch (const std::bad_alloc&) {
    }
    if (!rootRecord) {
        CSiteTree fresh;
        tree.Swap(fresh);
        return {0, false};
    }
    CSiteTree loaded(std::move(rootRecord->folder));
    loaded.KeepTexts(image.bytes);
    CSiteTreeLoader loader(loaded);
    ImageSource rest(image.Span().subspan(r.Position()));
    const auto [subFolders, complete] = ReadSubFolders(rest, loader);
    tree.Swap(loaded);
    return {1 + subFolders, complete};
}

// The root of the tree a file whose root cannot be read leaves (CSiteTree's default).
void VisitDefaultRoot(const ProjectFolderVisitor& visit) {
    CSiteFolder root;
    root.id = 0;
    root.caption = kRootCaption;
    visit(root, 0);
}

// Hands each folder record to a visitor as it is read, with what the tree would give it: its
// depth, the next folder id, its items' ids (positions). Only the folder being read is kept, and
// for each folder read its parent and depth, so that a later record's level finds its place.
class CFolderStreamer {
public:
    explicit CFolderStreamer(const ProjectFolderVisitor& visit) : visit(visit) {}

    // Keys are positions in file order from 1; 0 is none.
    std::size_t Root() const { return 1; }
    void Prepare(std::size_t) {}

    // The root as the tree takes it (folder id 0).
    void VisitRoot(CSiteFolder& root) {
        itemSlots += root.items.size();
        Number(root);
        parents.push_back({0, 0});
        visit(root, 0);
    }

    std::size_t Append(std::size_t parentKey, ByteReader& r) {
        if (!ReadFolderBody(r, folder)) return 0;
        // The tree's item keys are 32 bits: a project that would run out of them stops here too.
        if (folder.items.size() > std::numeric_limits<std::uint32_t>::max() - itemSlots)
            throw std::length_error("too many items for one project");
        itemSlots += folder.items.size();
        Number(folder);
        const std::size_t depth = parents[parentKey - 1].depth + 1;
        parents.push_back({parentKey, depth});
        visit(folder, depth);
        return parents.size();
    }

    std::size_t ParentOf(std::size_t key) const { return parents[key - 1].parent; }

private:
    struct Place {
        std::size_t parent = 0;
        std::size_t depth = 0;
    };

    void Number(CSiteFolder& record) {
        record.id = nextFolderId++;
        for (std::size_t i = 0; i < record.items.size(); ++i)
            record.items[i].id = static_cast<std::int32_t>(i);
        record.itemCount = static_cast<std::int32_t>(record.items.size());
    }

    const ProjectFolderVisitor& visit;
    CSiteFolder folder;
    std::vector<Place> parents;
    std::size_t itemSlots = 1;  // as the tree counts them: its slot 0 is no item
    std::int32_t nextFolderId = 0;
};

// The folders of the bytes handed to visit, as ReadTree would build them.
std::pair<std::size_t, bool> StreamTree(WindowSource& source, const ProjectFolderVisitor& visit) {
    CFolderStreamer streamer(visit);
    std::optional<FolderRecord> rootRecord;
    try {
        for (;;) {
            ByteReader r = source.Window();
            rootRecord = ReadFolder(r);
            if (rootRecord) {
                streamer.VisitRoot(rootRecord->folder);
                source.Consume(r.Position());
                break;
            }
            if (!source.More()) break;
        }
    } catch (const std::bad_alloc&) {
    }
    if (!rootRecord) {
        VisitDefaultRoot(visit);
        return {0, false};
    }
    const auto [subFolders, complete] = ReadSubFolders(source, streamer);
    return {1 + subFolders, complete};
}

std::string Quoted(const std::string& fileName) {
    return "\"" + fileName + "\"";
}

// Reads the header into page and layout with readHeader() and the tree with readTree(), which
// returns the number of folders taken and whether they ran to the end; dropTree() when the
// header cannot be used.
template <typename ReadHeaderPart, typename ReadTreePart, typename DropTree>
LoadResult LoadParts(CPageOption& page, CLayoutOption& layout, const std::string& fileName,
                     ReadHeaderPart readHeader, ReadTreePart readTree, DropTree dropTree) {
    LoadResult result;
    const std::string subject =
        fileName.empty() ? std::string("The project file") : "The project file " + Quoted(fileName);
    switch (readHeader()) {
        case HeaderOutcome::WrongVersion: {
            result.status = LoadStatus::WrongVersion;
            result.message = kUnknownVersionMessage;
            dropTree();
            break;
        }
        case HeaderOutcome::Damaged: {
            page.Reset(true);
            layout.Reset();
            result.status = LoadStatus::HeaderDamaged;
            result.message = subject + " is damaged: its properties could not be read.";
            dropTree();
            break;
        }
        case HeaderOutcome::Read: {
            const auto [foldersRead, complete] = readTree();
            result.foldersRead = foldersRead;
            if (complete) {
                result.status = LoadStatus::Complete;
            } else {
                result.status = LoadStatus::TreeDamaged;
                result.message = subject + " is damaged: only " + std::to_string(foldersRead) +
                                 (foldersRead == 1 ? " folder" : " folders") + " could be read.";
            }
            break;
        }
    }
    return result;
}

LoadResult LoadImage(const FileImage& image, CPageOption& page, CLayoutOption& layout,
                     CSiteTree& tree, const std::string& fileName) {
    ByteReader reader(image.Span());
    LoadResult result = LoadParts(
        page, layout, fileName, [&] { return ReadHeader(reader, page, layout); },
        [&] { return ReadTree(TreePart(image, reader.Position()), tree); },
        [&] {
            CSiteTree fresh;
            tree.Swap(fresh);
        });
    tree.ClearClipboard();
    return result;
}

// The header again from its start while it does not end in the window (a damaged header is
// damaged only once every byte has been seen).
HeaderOutcome ReadHeader(WindowSource& source, CPageOption& page, CLayoutOption& layout) {
    for (;;) {
        ByteReader r = source.Window();
        const HeaderOutcome outcome = ReadHeader(r, page, layout);
        if (outcome != HeaderOutcome::Damaged) {
            source.Consume(r.Position());
            return outcome;
        }
        try {
            if (!source.More()) return outcome;
        } catch (const std::bad_alloc&) {
            return outcome;
        }
    }
}

LoadResult StreamParts(WindowSource& source, CPageOption& page, CLayoutOption& layout,
                       const ProjectFolderVisitor& visit, const std::string& fileName) {
    return LoadParts(
        page, layout, fileName, [&] { return ReadHeader(source, page, layout); },
        [&] { return StreamTree(source, visit); }, [] {});
}

// Opens the file for reading and tells its size; false when it cannot be read, `reason` then
// says why.
bool OpenProjectFile(const fs::path& path, std::ifstream& file, std::uintmax_t& size,
                     std::string& reason) {
    std::error_code error;
    size = fs::file_size(path, error);
    if (error) {
        reason = error.message();
        return false;
    }
    if (size > std::numeric_limits<std::size_t>::max() / 2) {
        reason = std::make_error_code(std::errc::file_too_large).message();
        return false;
    }
    errno = 0;
    file.open(path, std::ios::binary);
    if (!file) {
        reason = errno != 0 ? std::error_code(errno, std::generic_category()).message()
                            : std::string("the file cannot be opened");
        return false;
    }
    return true;
}

// Why a read returned fewer bytes than the file's size promised.
std::string ShortReadReason(const std::ifstream& file) {
    return file.bad() && errno != 0 ? std::error_code(errno, std::generic_category()).message()
                                    : std::string("the file changed while it was read");
}

// The whole file in one read, into storage that is not cleared first. Empty when it cannot be
// read; `reason` then says why.
std::optional<FileImage> ReadWholeFile(const fs::path& path, std::string& reason) {
    std::ifstream file;
    std::uintmax_t size = 0;
    if (!OpenProjectFile(path, file, size, reason)) return std::nullopt;
    FileImage image;
    image.size = static_cast<std::size_t>(size);
    std::shared_ptr<unsigned char[]> bytes =
        std::make_shared_for_overwrite<unsigned char[]>(image.size);
    // A read this large goes straight from the file into the buffer, past the stream's own.
    file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(image.size));
    if (static_cast<std::size_t>(file.gcount()) != image.size) {
        reason = ShortReadReason(file);
        return std::nullopt;
    }
    image.bytes = std::move(bytes);
    return image;
}

LoadResult CannotOpen(const fs::path& path, const std::string& reason) {
    LoadResult result;
    result.status = LoadStatus::NotOpenable;
    result.message = "Cannot open " + Quoted(Utf8FromPath(path)) + ": " + reason + ".";
    return result;
}

// An empty file (0 bytes) read as a new project.
LoadResult NotWritten(CPageOption& page, CLayoutOption& layout) {
    // The lock makes the file before anything is saved into it: an empty file is a project
    // whose first save never came (a program stopped, or another one about to save).
    page = CPageOption();
    layout = CLayoutOption();
    LoadResult result;
    result.status = LoadStatus::Complete;
    result.foldersRead = 1;
    result.notWritten = true;
    return result;
}

// The window a listing reads a file through: a read of that size costs little more than the
// copy, and a folder of a hundred items takes 7 KB of it.
constexpr std::size_t kListingWindow = std::size_t{256} << 10;

}  // namespace

std::vector<unsigned char> WriteProjectBytes(const CPageOption& page, const CLayoutOption& layout,
                                             const CSiteTree& tree) {
    std::vector<unsigned char> bytes(ProjectSize(page, tree));
    WriteProject(bytes.data(), page, layout, tree);
    return bytes;
}

std::size_t ProjectFileSize(const CPageOption& page, const CSiteTree& tree) {
    return ProjectSize(page, tree);
}

void WriteProjectPieces(const CPageOption& page, const CLayoutOption& layout, const CSiteTree& tree,
                        const std::function<void(std::span<const unsigned char>)>& take) {
    constexpr std::size_t kPiece = std::size_t{64} << 10;
    std::vector<unsigned char> buffer(std::max(kPiece, HeaderSize(page)));
    std::size_t used = 0;
    // A writer with room for `size` more bytes, handing over what came before when they would
    // not fit.
    const auto room = [&](std::size_t size) {
        if (used + size > buffer.size()) {
            if (used > 0) take(std::span<const unsigned char>(buffer.data(), used));
            used = 0;
            if (size > buffer.size()) buffer.resize(size);
        }
        ByteWriter writer(buffer.data() + used);
        used += size;
        return writer;
    };
    ByteWriter header = room(HeaderSize(page));
    WriteHeader(header, page, layout);
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        const CSiteFolder& folder = node.Folder();
        ByteWriter head = room(FolderHeadSize(folder));
        WriteFolderHead(head, folder, depth);
        std::int32_t position = 0;
        for (const CSiteItem& item : folder.items) {
            ByteWriter writer = room(ItemSize(item));
            WriteItem(writer, item, position++);
        }
    });
    if (used > 0) take(std::span<const unsigned char>(buffer.data(), used));
}

Outcome SaveProject(const fs::path& path, const CPageOption& page, const CLayoutOption& layout,
                    const CSiteTree& tree) {
    std::unique_ptr<unsigned char[]> bytes;
    std::size_t size = 0;
    try {
        size = ProjectSize(page, tree);
        bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
    } catch (const std::length_error& error) {
        return {false, "Cannot write " + Quoted(Utf8FromPath(path)) + ": " + error.what() + "."};
    } catch (const std::bad_alloc&) {
        return {false, "Cannot write " + Quoted(Utf8FromPath(path)) + ": not enough memory."};
    }
    WriteProject(bytes.get(), page, layout, tree);
    FileWriteResult written =
        WriteFileAtomically(path, std::span<const unsigned char>(bytes.get(), size));
    if (!written) return {false, std::move(written.message)};
    return {true, {}};
}

LoadResult LoadProject(const fs::path& path, CPageOption& page, CLayoutOption& layout,
                       CSiteTree& tree) {
    std::string reason;
    std::optional<FileImage> image;
    try {
        image = ReadWholeFile(path, reason);
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    }
    if (!image || image->size == 0) {
        CSiteTree fresh;
        tree.Swap(fresh);
        return image ? NotWritten(page, layout) : CannotOpen(path, reason);
    }
    return LoadImage(*image, page, layout, tree, Utf8FromPath(path));
}

LoadResult LoadProjectFromBytes(std::span<const unsigned char> bytes, CPageOption& page,
                                CLayoutOption& layout, CSiteTree& tree) {
    // The project keeps a copy: its texts borrow from it.
    std::shared_ptr<unsigned char[]> copy =
        std::make_shared_for_overwrite<unsigned char[]>(bytes.size());
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    return LoadImage(FileImage{std::move(copy), bytes.size(), 0}, page, layout, tree, {});
}

LoadResult ReadProjectFolders(const fs::path& path, CPageOption& page, CLayoutOption& layout,
                              const ProjectFolderVisitor& visit) {
    std::ifstream file;
    std::uintmax_t size = 0;
    std::string reason;
    if (!OpenProjectFile(path, file, size, reason)) return CannotOpen(path, reason);
    if (size == 0) {
        LoadResult result = NotWritten(page, layout);
        VisitDefaultRoot(visit);
        return result;
    }
    // Only the size found at the start is read, as LoadProject reads it; a file that ends
    // before it changed meanwhile.
    std::uintmax_t left = size;
    bool shortRead = false;
    WindowSource source(
        [&](unsigned char* into, std::size_t count) -> std::size_t {
            const auto wanted = static_cast<std::size_t>(std::min<std::uintmax_t>(count, left));
            if (wanted == 0 || shortRead) return 0;
            file.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(wanted));
            const auto got = static_cast<std::size_t>(file.gcount());
            left -= got;
            if (got != wanted) {
                shortRead = true;
                reason = ShortReadReason(file);
            }
            return got;
        },
        kListingWindow);
    LoadResult result;
    try {
        result = StreamParts(source, page, layout, visit, Utf8FromPath(path));
    } catch (const std::bad_alloc&) {
        shortRead = true;
        reason = "not enough memory";
    }
    return shortRead ? CannotOpen(path, reason) : result;
}

LoadResult ReadProjectFoldersFromBytes(std::span<const unsigned char> bytes, CPageOption& page,
                                       CLayoutOption& layout, const ProjectFolderVisitor& visit) {
    // Through a window that starts small and is filled by odd-sized pieces, so that records are
    // cut at many of the places a file's window may cut them; the pieces grow with what was
    // given, so that a large record is read again only a few times.
    std::size_t at = 0;
    WindowSource source(
        [&](unsigned char* into, std::size_t count) {
            const std::size_t given = std::min({count, bytes.size() - at, 7 + at / 2});
            if (given > 0) std::memcpy(into, bytes.data() + at, given);
            at += given;
            return given;
        },
        16);
    return StreamParts(source, page, layout, visit, {});
}
