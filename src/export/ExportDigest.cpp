#include "ExportDigest.h"

#include <cstdint>
#include <new>
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

namespace {

// Hashes any amount of bytes in pieces of a fixed size, keeping only each piece's hash, so that
// what is added (the project's bytes, then every source's path and stamp) is never joined into
// one more copy; the digest is that of the pieces' hashes.
class CDigest {
public:
    void Add(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t room = kPiece - pending.size();
            pending.append(bytes.substr(0, room));
            bytes.remove_prefix(std::min(room, bytes.size()));
            if (pending.size() == kPiece) Fold();
        }
    }
    void Add(std::uint64_t value) {
        char bytes[8];
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        Add(std::string_view(bytes, 8));
    }
    void AddText(std::string_view text) {
        Add(static_cast<std::uint64_t>(text.size()));
        Add(text);
    }
    void Add(const FileStamp& stamp) {
        for (const std::uint64_t value :
             {static_cast<std::uint64_t>(stamp.exists), stamp.device, stamp.inode,
              static_cast<std::uint64_t>(stamp.size), static_cast<std::uint64_t>(stamp.modifiedNs),
              static_cast<std::uint64_t>(stamp.changedNs)})
            Add(value);
    }
    PageHash Finish() {
        Fold();
        PageHash digest = HashOfPage(folded);
        // All zero means "none".
        if (digest == PageHash{}) digest[0] = 1;
        return digest;
    }

private:
    static constexpr std::size_t kPiece = 1 << 16;

    void Fold() {
        const PageHash piece = HashOfPage(pending);
        pending.clear();
        for (const std::uint64_t value : piece)
            for (int i = 0; i < 8; ++i) folded += static_cast<char>((value >> (8 * i)) & 0xFF);
    }

    std::string pending;
    std::string folded;
};

}  // namespace

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
        const std::vector<unsigned char> project =
            WriteProjectBytes(parameters.pageOption, parameters.layoutOption, parameters.tree);
        digest.AddText(
            std::string_view(reinterpret_cast<const char*>(project.data()), project.size()));
    } catch (const std::length_error&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
    return digest.Finish();
}

PageHash SourcesDigest(const std::vector<FoundSource>& sources) {
    CDigest digest;
    digest.Add(static_cast<std::uint64_t>(sources.size()));
    for (const FoundSource& source : sources) {
        if (source.state.kind != SourceState::Kind::Regular) return {};
        digest.AddText(source.normalPath);
        digest.Add(static_cast<std::uint64_t>(source.state.linked));
        digest.Add(source.state.stamp);
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
