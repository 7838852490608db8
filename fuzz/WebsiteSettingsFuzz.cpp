#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "WebsiteSettings.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CWebsiteSettings settings = CWebsiteSettings::ForNewProject();
    const SettingsLoadResult result = ParseWebsiteSettings(text, "fuzz.www.json", settings);
    if (result.status != SettingsLoadStatus::Read) {
        Require(result.status == SettingsLoadStatus::Damaged && !result.message.empty());
        Require(settings.pictures == CPictureSettings{});
        return 0;
    }
    // What was read survives a save and a read unchanged, unknown keys included.
    const std::string written = settings.ToJson();
    CWebsiteSettings reread;
    Require(ParseWebsiteSettings(written, "fuzz.www.json", reread).status ==
            SettingsLoadStatus::Read);
    Require(reread == settings);
    Require(reread.ToJson() == written);
    return 0;
}
