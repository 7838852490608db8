#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "LayoutOption.h"
#include "Outcome.h"
#include "PageOption.h"
#include "SiteTree.h"

// A project file ("*.www") is a header holding the page and layout properties as fixed-size
// blocks and counted strings, followed by the website tree as depth-tagged folder records, root
// first. Every integer is a little-endian int32.
namespace ProjectFileLayout {
inline constexpr std::int32_t kVersion = 1;
inline constexpr std::size_t kBackgroundBlockSize = 296;
inline constexpr std::size_t kGeneralBlockSize = 780;
inline constexpr std::size_t kEncodingBlockSize = 510;
inline constexpr std::size_t kMarginsBlockSize = 20;
inline constexpr std::size_t kMetaBlockSize = 772;
inline constexpr std::size_t kLayoutBlockSize = 3988;
inline constexpr std::size_t kAreaBlockSize = 560;
inline constexpr std::size_t kFontBlockSize = 284;
inline constexpr std::size_t kTableBlockSize = 40;
inline constexpr std::size_t kMainBlockSize = 580;
// Where the header's first counted string starts: version and the four fixed blocks.
inline constexpr std::size_t kHeaderTextOffset = 1610;

inline constexpr std::int32_t kBackgroundTag = 0x0044D8C0;
inline constexpr std::int32_t kMarginsTag = 0x0044D8C4;
inline constexpr std::int32_t kGeneralTag = 0x0044D8C8;
inline constexpr std::int32_t kFontTag = 0x0044D8CC;
inline constexpr std::int32_t kAreaTag = 0x0044D8D0;
inline constexpr std::int32_t kMainTag = 0x0044D8D4;
inline constexpr std::int32_t kTableTag = 0x0044D8D8;
inline constexpr std::int32_t kLayoutTag = 0x0044D8DC;
}  // namespace ProjectFileLayout

// The bytes of a project file. Throws std::length_error when a text is too long for the file's
// 32-bit lengths, std::bad_alloc when memory runs out.
std::vector<unsigned char> WriteProjectBytes(const CPageOption& page, const CLayoutOption& layout,
                                             const CSiteTree& tree);

// The size of those bytes (same exceptions).
std::size_t ProjectFileSize(const CPageOption& page, const CSiteTree& tree);
// The same bytes handed to `take` a piece at a time (the pieces are gone once it returns), so
// that a large project is never held twice. Call ProjectFileSize first: it checks the lengths.
void WriteProjectPieces(const CPageOption& page, const CLayoutOption& layout, const CSiteTree& tree,
                        const std::function<void(std::span<const unsigned char>)>& take);

// Writes the project atomically (the previous file stays whole if anything fails). Folder ids do
// not change.
Outcome SaveProject(const std::filesystem::path& path, const CPageOption& page,
                    const CLayoutOption& layout, const CSiteTree& tree);

enum class LoadStatus {
    Complete,       // everything was read
    TreeDamaged,    // the properties were read; the tree holds the folders read before the damage
    HeaderDamaged,  // the properties are the defaults and the tree is the default project
    WrongVersion,   // idem, with no meta variable at all
    NotOpenable     // the file could not be read; the properties are as the caller left them
};

struct LoadResult {
    LoadStatus status = LoadStatus::NotOpenable;
    std::size_t foldersRead = 0;  // folder records taken from the file
    std::string message;          // empty when Complete
    // The file was empty: a project not yet written, read as a new project (Complete).
    bool notWritten = false;

    // Whether the file's contents were read whole, so that saving over it loses nothing.
    bool IsComplete() const { return status == LoadStatus::Complete; }
};

inline constexpr const char* kUnknownVersionMessage = "Unkown version!";

// Replaces the project by the file's contents. The page properties are reset without the
// GENERATOR entry first (the file brings its own meta variables). Folders get the ids 0, 1, 2 ...
// in file order and items the ids of their positions, whatever the file stored. Afterwards
// nothing is cut or copied. An empty file (0 bytes) is a project not
// yet written: it reads as a new project, never as a damaged one.
LoadResult LoadProject(const std::filesystem::path& path, CPageOption& page, CLayoutOption& layout,
                       CSiteTree& tree);
LoadResult LoadProjectFromBytes(std::span<const unsigned char> bytes, CPageOption& page,
                                CLayoutOption& layout, CSiteTree& tree);

// A folder of a project file as it is read, with its depth below the root (the root's is 0).
using ProjectFolderVisitor = std::function<void(const CSiteFolder& folder, std::size_t depth)>;

// Reads the file as LoadProject does without building the tree, for a reader that looks at each
// folder once (pagelorn-cli show): every folder LoadProject would put in the tree is handed to
// visit as it is read, in the order CSiteTree::ForEachDepthFirst visits that tree, with the same
// depth, folder id, texts, and items with their ids (the items' keys are not set). The result,
// page and layout are LoadProject's. The folder and its texts are good only during the call, and
// visit must not throw. Nothing is visited for HeaderDamaged, WrongVersion or NotOpenable. Holds
// the file's bytes and one folder's items at a time, never the whole tree.
LoadResult ReadProjectFolders(const std::filesystem::path& path, CPageOption& page,
                              CLayoutOption& layout, const ProjectFolderVisitor& visit);
LoadResult ReadProjectFoldersFromBytes(std::span<const unsigned char> bytes, CPageOption& page,
                                       CLayoutOption& layout, const ProjectFolderVisitor& visit);
