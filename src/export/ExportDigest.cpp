#include "ExportDigest.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "MediaModule.h"
#include "ProgramInfo.h"
#include "ProjectFile.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

// A setting added here changes what an export makes: it must go into ExportInputsDigest too.
static_assert(sizeof(CPictureSettings) == 7 * sizeof(int), "a new picture setting is not digested");
static_assert(sizeof(CPageSettings) == sizeof(PageStyle), "a new page setting is not digested");

void CDigest::Add(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = kPiece - pending.size();
        pending.append(bytes.substr(0, room));
        bytes.remove_prefix(std::min(room, bytes.size()));
        if (pending.size() == kPiece) Fold();
    }
}

void CDigest::Add(std::uint64_t value) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    Add(std::string_view(bytes, 8));
}

void CDigest::Add(const FileStamp& stamp) {
    for (const std::uint64_t value :
         {static_cast<std::uint64_t>(stamp.exists), stamp.device, stamp.inode,
          static_cast<std::uint64_t>(stamp.size), static_cast<std::uint64_t>(stamp.modifiedNs),
          static_cast<std::uint64_t>(stamp.changedNs)})
        Add(value);
}

PageHash CDigest::Finish() {
    Fold();
    PageHash digest = HashOfPage(folded);
    // All zero means "none".
    if (digest == PageHash{}) digest[0] = 1;
    return digest;
}

void CDigest::Fold() {
    const PageHash piece = HashOfPage(pending);
    pending.clear();
    for (const std::uint64_t value : piece)
        for (int i = 0; i < 8; ++i) folded += static_cast<char>((value >> (8 * i)) & 0xFF);
}

PageHash ExportInputsDigest(const ExportParameters& parameters, const fs::path& folder) {
    CDigest digest;
    digest.AddText(kProgramVersion);
    digest.AddText(ExportCacheProject(parameters.projectFile));
    digest.AddText(Utf8FromPath(folder));
    const fs::path module = MediaModulePath();
    digest.AddText(Utf8FromPath(module));
    digest.Add(ReadFileStamp(module));
    const CPictureSettings& pictures = parameters.pictures;
    for (const int value : {int{pictures.thumbnails}, pictures.box, pictures.density,
                            pictures.quality, int{pictures.modernTypes}, pictures.maxMegapixels,
                            pictures.view, static_cast<int>(parameters.pages.style)})
        digest.Add(static_cast<std::uint64_t>(value));
    try {
        // The project's bytes go through in pieces: a million items would otherwise be copied
        // whole once more.
        digest.Add(
            static_cast<std::uint64_t>(ProjectFileSize(parameters.pageOption, parameters.tree)));
        WriteProjectPieces(parameters.pageOption, parameters.layoutOption, parameters.tree,
                           [&](std::span<const unsigned char> piece) {
                               digest.Add(std::string_view(
                                   reinterpret_cast<const char*>(piece.data()), piece.size()));
                           });
    } catch (const std::length_error&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
    return digest.Finish();
}

void CSourcesDigest::Add(const FoundSource& source) {
    ++count;
    if (source.state.kind != SourceState::Kind::Regular) vouched = false;
    if (!vouched) return;
    digest.AddText(source.normalPath);
    digest.Add(static_cast<std::uint64_t>(source.state.linked));
    digest.Add(source.state.stamp);
}

PageHash CSourcesDigest::Finish() {
    if (!vouched) return {};
    digest.Add(count);
    return digest.Finish();
}

PageHash SourcesDigest(const std::vector<FoundSource>& sources,
                       const std::vector<std::uint32_t>& occurrences) {
    CSourcesDigest digest;
    for (const std::uint32_t index : occurrences) {
        if (index >= sources.size()) return {};
        digest.Add(sources[index]);
    }
    return digest.Finish();
}

PageHash CombinedDigest(const PageHash& inputs, const PageHash& sources) {
    if (inputs == PageHash{} || sources == PageHash{}) return {};
    CDigest digest;
    for (const std::uint64_t value : {inputs[0], inputs[1], sources[0], sources[1]})
        digest.Add(value);
    return digest.Finish();
}
