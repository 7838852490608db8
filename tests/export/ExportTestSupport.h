#pragma once

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace exporttest {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        // The process id keeps runs from two build folders at the same time apart.
        dir = fs::temp_directory_path() /
              ("pagelorn-export-" + std::to_string(getpid()) + "-" + name);
        RemoveAll(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { RemoveAll(dir); }

    static void RemoveAll(const fs::path& path) {
        std::error_code error;
        // Tests make read-only folders; give them back before removing.
        if (fs::exists(path, error))
            for (const auto& entry : fs::recursive_directory_iterator(path, error))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(path, error);
    }

    fs::path Write(const fs::path& relative, const std::string& bytes) {
        const fs::path path = dir / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
};

// A small file system of its own on `path` (mounting needs root), unmounted when it goes; tests
// skip where the system does not allow it.
class ScopedTmpfs {
public:
    ScopedTmpfs(const fs::path& path, unsigned long flags, const char* options) : path(path) {
        fs::create_directories(path);
        mounted = ::mount("tmpfs", path.c_str(), "tmpfs", flags, options) == 0;
        if (!mounted) error = std::strerror(errno);
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;
    ~ScopedTmpfs() {
        if (mounted) ::umount2(path.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted; }
    const std::string& Error() const { return error; }

private:
    fs::path path;
    bool mounted = false;
    std::string error;
};

inline void PutLe16(std::string& bytes, int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutBe16(std::string& bytes, int value) {
    bytes += static_cast<char>((value >> 8) & 0xFF);
    bytes += static_cast<char>(value & 0xFF);
}

inline void PutBe32(std::string& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
}

// A GIF89a whose logical screen is width x height, holding one black-and-white pixel image.
inline std::string GifBytes(int width, int height) {
    std::string bytes = "GIF89a";
    PutLe16(bytes, width);
    PutLe16(bytes, height);
    bytes += std::string("\x80\x00\x00", 3);  // global colour table of two entries
    bytes += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
    bytes += std::string("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);  // 1 x 1 image
    bytes += std::string("\x02\x02\x44\x01\x00", 5);                       // LZW data of that pixel
    bytes += '\x3B';
    return bytes;
}

// An EXIF segment (APP1) holding only the orientation tag, in either byte order.
inline std::string ExifSegment(int orientation, bool bigEndian) {
    const auto put16 = [&](std::string& out, int value) {
        bigEndian ? PutBe16(out, value) : PutLe16(out, value);
    };
    std::string tiff = bigEndian ? std::string("MM\x00\x2A\x00\x00\x00\x08", 8)
                                 : std::string("II\x2A\x00\x08\x00\x00\x00", 8);
    put16(tiff, 1);       // one entry
    put16(tiff, 0x0112);  // Orientation
    put16(tiff, 3);       // SHORT
    tiff += bigEndian ? std::string("\x00\x00\x00\x01", 4) : std::string("\x01\x00\x00\x00", 4);
    put16(tiff, orientation);
    tiff += std::string(2, '\0');
    tiff += std::string(4, '\0');  // no next IFD
    std::string segment("\xFF\xE1", 2);
    PutBe16(segment, static_cast<int>(tiff.size() + 8));
    segment += std::string("Exif\0\0", 6) + tiff;
    return segment;
}

// The blocks of a baseline JPEG (JFIF): SOI, APP0, an EXIF orientation when one is given, a
// quantisation table, the frame header giving its size and the scan header, then scan bytes up
// to `size` bytes and EOI.
inline std::string JpegBytes(int width, int height, std::size_t size = 0, int orientation = 0,
                             bool bigEndian = false) {
    std::string bytes("\xFF\xD8", 2);
    bytes += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    if (orientation != 0) bytes += ExifSegment(orientation, bigEndian);
    bytes += std::string("\xFF\xDB\x00\x43\x00", 5);
    bytes += std::string(64, '\x01');
    bytes += std::string("\xFF\xC0\x00\x0B\x08", 5);
    PutBe16(bytes, height);
    PutBe16(bytes, width);
    bytes += std::string("\x01\x01\x11\x00", 4);
    bytes += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00\x00", 11);
    if (bytes.size() + 2 < size) bytes += std::string(size - bytes.size() - 2, '\0');
    bytes += std::string("\xFF\xD9", 2);
    return bytes;
}

// The signature and header chunk of a PNG.
inline std::string PngBytes(int width, int height) {
    std::string bytes("\x89PNG\r\n\x1A\n", 8);
    PutBe32(bytes, 13);
    bytes += "IHDR";
    PutBe32(bytes, static_cast<std::uint32_t>(width));
    PutBe32(bytes, static_cast<std::uint32_t>(height));
    bytes += std::string("\x08\x02\x00\x00\x00", 5);
    PutBe32(bytes, 0);
    return bytes;
}

// Lines joined with CR LF, as pages are written.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// How a link to a page of this website is written.
inline std::string PageLink(const std::string& text, const std::string& base) {
    return "<A href=\"" + base + ".htm\">\n" + text + "</A>\n";
}

}  // namespace exporttest
