#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ExportCache.h"
#include "ExportFolder.h"
#include "SourceFiles.h"

// What an export's output depends on, as digests: equal digests make equal websites, so that a
// re-export whose digest is the one the export folder's record keeps (ExportShortcut) need not
// plan anything. A digest that is all zero stands for inputs that cannot be vouched for; it
// never matches.

// Hashes any amount of bytes in pieces of a fixed size, keeping only each piece's hash, so that
// what is added (the project's bytes, then every source's path and stamp) is never joined into
// one more copy; the digest is that of the pieces' hashes.
class CDigest {
public:
    void Add(std::string_view bytes);
    void Add(std::uint64_t value);
    void AddText(std::string_view text) {
        Add(static_cast<std::uint64_t>(text.size()));
        Add(text);
    }
    void Add(const FileStamp& stamp);
    PageHash Finish();

private:
    static constexpr std::size_t kPiece = 1 << 16;

    void Fold();

    std::string pending;
    std::string folded;
};

// The project as it would be saved (whatever is saved or not), its website settings, the project
// file and the export folder `folder` (resolved), the program's version and its picture module.
// Not the sources: see SourcesDigest.
PageHash ExportInputsDigest(const ExportParameters& parameters,
                            const std::filesystem::path& folder);

// The sources the project links to as the disk showed them, each as often and in the order the
// project names it (ForEachLinkedPath), by their stamps; all zero when one of them is not a
// regular file: the look the export then takes (a missing file is searched for without regard
// to case) goes further than a stamp. Added one at a time, so that a million sources need not
// be held to be digested.
class CSourcesDigest {
public:
    void Add(const FoundSource& source);
    PageHash Finish();

private:
    CDigest digest;
    std::uint64_t count = 0;
    bool vouched = true;
};
// The same of sources looked at once each (ProjectLinkedFiles): `occurrences` gives, for each
// time the project names a file, the index of its source.
PageHash SourcesDigest(const std::vector<FoundSource>& sources,
                       const std::vector<std::uint32_t>& occurrences);
// Both together; all zero when either is.
PageHash CombinedDigest(const PageHash& inputs, const PageHash& sources);
