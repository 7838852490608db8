// The commands that change a project without the window: set and get its properties, caption,
// describe, move and remove its folders and items. Each reads the project under its lock,
// changes it through the same operations as the window and saves it; a mistake changes nothing.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "CliCommands.h"
#include "CliEditSession.h"
#include "CliOutput.h"
#include "SitePath.h"
#include "SiteSort.h"
#include "Thumbnail.h"
#include "WebsiteProperties.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSetUsage =
    "usage: pagelorn-cli set PROJECT.www KEY=VALUE...\n"
    "  Sets properties of the website: the fields of Website Properties and Layout Properties\n"
    "  and the keys of the settings file (pictures.*, pages.style, import.*, publish.url).\n"
    "  \"pagelorn-cli get PROJECT.www\" lists every key with its value; the manual lists the\n"
    "  values each key takes. All or nothing: an unknown key or a value the key does not take\n"
    "  changes nothing.\n"
    "  Exit status: 0 set, 2 nothing set, 130 interrupted.\n";
constexpr const char* kGetUsage =
    "usage: pagelorn-cli get PROJECT.www [KEY]\n"
    "  Prints the value of KEY as set takes it, or every key as KEY=VALUE, one a line\n"
    "  (control characters written as \\xHH).\n"
    "  Exit status: 0 printed, 1 the settings file is damaged (its keys are printed as off),\n"
    "  2 the project cannot be read or there is no such key.\n";
constexpr const char* kCaptionUsage =
    "usage: pagelorn-cli caption PROJECT.www PATH TEXT\n"
    "  Gives the sub-site or item at PATH the caption TEXT. PATH is the path of captions below\n"
    "  the root (\"Holiday/Beach/IMG_0001.JPG\"), #N the Nth item of a folder (\"Holiday/#3\"),\n"
    "  \"\" the root; \\/ and \\# stand for / and # in a caption.\n"
    "  Exit status: 0 changed, 2 nothing changed, 130 interrupted.\n";
constexpr const char* kDescribeUsage =
    "usage: pagelorn-cli describe PROJECT.www PATH TEXT\n"
    "  Gives the sub-site or item at PATH (as for caption) the description TEXT.\n"
    "  Exit status: 0 changed, 2 nothing changed, 130 interrupted.\n";
constexpr const char* kMoveUsage =
    "usage: pagelorn-cli move PROJECT.www PATH up|down|POSITION|--into FOLDER\n"
    "  Moves the sub-site or item at PATH (as for caption) one place up or down, to a place\n"
    "  among its folder's sub-sites or items (1 is the first), or to the end of another folder.\n"
    "  --into FOLDER   move it into the sub-site at the path FOLDER (\"\" for the root)\n"
    "  Exit status: 0 moved, 2 nothing moved, 130 interrupted.\n";
constexpr const char* kRemoveUsage =
    "usage: pagelorn-cli remove PROJECT.www PATH\n"
    "  Removes the sub-site (with everything in it) or item at PATH (as for caption); the root\n"
    "  stays.\n"
    "  Exit status: 0 removed, 2 nothing removed, 130 interrupted.\n";

constexpr const char* kSortUsage =
    "usage: pagelorn-cli sort PROJECT.www [PATH] [--by caption|name|date] [--recursive]\n"
    "  Puts the items of the folder at PATH (as for caption; the root without PATH) in order,\n"
    "  as Edit > Sort Items does: by caption (the default), by the name of the file each item\n"
    "  links to, or by the date its photo was taken (EXIF), items without one after them by file\n"
    "  name. Names are compared without regard to case and numbers by their value (IMG_2\n"
    "  before IMG_10). Sub-sites keep their places.\n"
    "  --by ORDER    caption, name or date\n"
    "  --recursive   also the items of every sub-site below the folder\n"
    "  Exit status: 0 sorted, 2 nothing sorted, 130 interrupted.\n";

constexpr const char* kNothingChanged = "Nothing was changed.";

bool WantsHelp(int argc, char** argv, const char* usage) {
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return true;
        }
    }
    return false;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Sets a caption or a description of the record at a path.
int RunTextCommand(int argc, char** argv, const char* usage, CSiteField field) {
    if (WantsHelp(argc, argv, usage)) return kExitOk;
    if (argc != 3) return FailWithUsage("it takes a project, a path and a text", usage);
    CEditSession session;
    if (const int opened = session.Open(argv[0], kNothingChanged); opened != kExitOk) return opened;
    const CSitePathTarget target = FindSitePath(session.tree, argv[1]);
    if (!target) return session.Refuse(target.error);
    const std::string place = DescribeSitePlace(session.tree, target.folder, target.item);
    const CSiteStatus status = target.item ? session.tree.SetText(target.item, field, argv[2])
                                           : session.tree.SetText(target.folder, field, argv[2]);
    if (status != CSiteStatus::Done) return session.Refuse(std::string(Describe(status)));
    const char* what = field == CSiteField::Caption ? "caption" : "description";
    return session.Save(std::string("Set the ") + what + " of " + place + ".");
}

}  // namespace

int RunSetCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv, kSetUsage)) return kExitOk;
    if (argc < 2) return FailWithUsage("set needs a project and KEY=VALUE", kSetUsage);
    std::vector<std::pair<std::string, std::string>> assignments;
    bool settingsKeys = false;
    bool projectKeys = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals == std::string_view::npos)
            return FailWithUsage(Quoted(argument) + " is not KEY=VALUE", kSetUsage);
        const std::string key(argument.substr(0, equals));
        const PropertyKey* known = FindWebsitePropertyKey(key);
        if (known == nullptr)
            return Fail(
                "there is no key " + Quoted(key) + "; \"pagelorn-cli get PROJECT.www\" lists them",
                kNothingChanged);
        settingsKeys = settingsKeys || known->inSettingsFile;
        projectKeys = projectKeys || !known->inSettingsFile;
        assignments.emplace_back(key, argument.substr(equals + 1));
    }
    CEditSession session;
    if (const int opened = session.Open(argv[0], kNothingChanged); opened != kExitOk) return opened;
    if (settingsKeys && !session.settingsRead)
        return session.Refuse("the settings file cannot be read, so its keys are not set");
    CWebsiteProperties properties{session.page, session.layout, session.settings};
    std::string names;
    for (const auto& [key, value] : assignments) {
        if (const std::string refused = SetWebsiteProperty(properties, key, value);
            !refused.empty())
            return session.Refuse(key + "=" + value + ": " + refused);
        names += (names.empty() ? "" : ", ") + key;
    }
    session.saveProject = projectKeys;
    session.saveSettings = settingsKeys;
    return session.Save("Set " + names + ".");
}

int RunGetCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv, kGetUsage)) return kExitOk;
    if (argc < 1 || argc > 2) return FailWithUsage("get takes a project and a key", kGetUsage);
    if (argc == 2 && FindWebsitePropertyKey(argv[1]) == nullptr)
        return Fail("there is no key " + Quoted(argv[1]) +
                    "; \"pagelorn-cli get PROJECT.www\" lists them");
    CEditSession session;
    if (const int read = session.Read(argv[0]); read != kExitOk) return read;
    const CWebsiteProperties properties{session.page, session.layout, session.settings};
    if (argc == 2) {
        const std::string value = *GetWebsiteProperty(properties, argv[1]);
        std::fwrite(value.data(), 1, value.size(), stdout);
        std::fputc('\n', stdout);
    } else {
        for (const PropertyKey& key : WebsitePropertyKeys())
            std::printf("%s=%s\n", key.name.c_str(),
                        Printable(*GetWebsiteProperty(properties, key.name)).c_str());
    }
    return session.settingsRead ? kExitOk : kExitPartly;
}

int RunCaptionCommand(int argc, char** argv) {
    return RunTextCommand(argc, argv, kCaptionUsage, CSiteField::Caption);
}

int RunDescribeCommand(int argc, char** argv) {
    return RunTextCommand(argc, argv, kDescribeUsage, CSiteField::Description);
}

int RunMoveCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv, kMoveUsage)) return kExitOk;
    const bool into = argc == 4 && std::string_view(argv[2]) == "--into";
    if (argc != 3 && !into)
        return FailWithUsage("move takes a project, a path and where to", kMoveUsage);
    const std::string_view where = argv[2];
    std::size_t position = 0;
    if (!into && where != "up" && where != "down") {
        const auto [end, error] =
            std::from_chars(where.data(), where.data() + where.size(), position);
        if (error != std::errc() || end != where.data() + where.size() || position == 0)
            return FailWithUsage(Quoted(where) + " is neither up, down nor a position from 1",
                                 kMoveUsage);
    }
    CEditSession session;
    if (const int opened = session.Open(argv[0], kNothingChanged); opened != kExitOk) return opened;
    CSiteTree& tree = session.tree;
    const CSitePathTarget target = FindSitePath(tree, argv[1]);
    if (!target) return session.Refuse(target.error);
    const std::string place = DescribeSitePlace(tree, target.folder, target.item);
    CSiteStatus status = CSiteStatus::Done;
    if (into) {
        const CSitePathTarget folder = FindSitePath(tree, argv[3]);
        if (!folder) return session.Refuse(folder.error);
        if (folder.item) return session.Refuse(Quoted(argv[3]) + " is an item, not a folder");
        if (target.item) {
            // As the window moves items between folders: cut, then paste.
            status = tree.CopyRows(target.folder, true, {}, {target.item});
            if (status == CSiteStatus::Done) status = tree.Paste(folder.folder);
        } else {
            status = tree.IsValidDrop(target.folder, folder.folder)
                         ? tree.MoveSubtree(target.folder, folder.folder)
                         : CSiteStatus::InvalidDrop;
        }
    } else if (target.item) {
        status = position > 0 ? tree.MoveItemTo(target.item, position - 1)
                              : tree.MoveItem(target.item, where == "down");
    } else if (position > 0) {
        const CSiteNode* node = tree.Find(target.folder);
        status = node->Parent() == nullptr
                     ? CSiteStatus::RootRefused
                     : tree.MoveFolder(target.folder, node->Parent()->Key(), position - 1);
    } else {
        status = where == "down" ? tree.MoveDown(target.folder) : tree.MoveUp(target.folder);
    }
    if (status != CSiteStatus::Done) return session.Refuse(std::string(Describe(status)));
    return session.Save("Moved " + place + ".");
}

int RunRemoveCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv, kRemoveUsage)) return kExitOk;
    if (argc != 2) return FailWithUsage("remove takes a project and a path", kRemoveUsage);
    CEditSession session;
    if (const int opened = session.Open(argv[0], kNothingChanged); opened != kExitOk) return opened;
    const CSitePathTarget target = FindSitePath(session.tree, argv[1]);
    if (!target) return session.Refuse(target.error);
    const std::string place = DescribeSitePlace(session.tree, target.folder, target.item);
    const CSiteStatus status = target.item ? session.tree.DeleteItem(target.item)
                                           : session.tree.DeleteFolder(target.folder);
    if (status != CSiteStatus::Done) return session.Refuse(std::string(Describe(status)));
    return session.Save("Removed " + place + ".");
}

int RunSortCommand(int argc, char** argv) {
    if (WantsHelp(argc, argv, kSortUsage)) return kExitOk;
    std::vector<std::string_view> positional;
    CSortOrder order = CSortOrder::Caption;
    bool recursive = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--recursive") {
            recursive = true;
        } else if (argument == "--by") {
            const std::string_view by = i + 1 < argc ? argv[++i] : "";
            if (by == "caption")
                order = CSortOrder::Caption;
            else if (by == "name")
                order = CSortOrder::FileName;
            else if (by == "date")
                order = CSortOrder::DateTaken;
            else
                return FailWithUsage("--by takes caption, name or date", kSortUsage);
        } else if (argument.starts_with("--")) {
            return FailWithUsage("unknown option " + std::string(argument), kSortUsage);
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.empty() || positional.size() > 2)
        return FailWithUsage("sort takes a project and a folder's path", kSortUsage);
    const fs::path project(positional[0]);
    CEditSession session;
    if (const int opened = session.Open(project, kNothingChanged); opened != kExitOk) return opened;
    CSiteTree& tree = session.tree;
    const CSitePathTarget target =
        FindSitePath(tree, positional.size() > 1 ? positional[1] : std::string_view());
    if (!target) return session.Refuse(target.error);
    if (target.item) return session.Refuse(Quoted(positional[1]) + " is an item, not a folder");
    std::vector<CFolderKey> folders{target.folder};
    if (recursive) {
        folders.clear();
        tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
            if (tree.IsWithin(node.Key(), target.folder)) folders.push_back(node.Key());
        });
    }
    std::error_code error;
    const CDateTakenFn dates = ItemDatesTaken(fs::absolute(project, error).parent_path());
    std::size_t items = 0;
    for (const CFolderKey folder : folders) {
        if (Interrupted()) return ReportInterruption(kNothingChanged);
        const CSiteFolder& records = tree.Find(folder)->Folder();
        items += records.items.size();
        const CSiteStatus status = ReorderItems(tree, folder, SortedItems(records, order, dates));
        if (status != CSiteStatus::Done) return session.Refuse(std::string(Describe(status)));
    }
    return session.Save("Sorted " + std::to_string(items) + " items in " +
                        std::to_string(folders.size()) +
                        (folders.size() == 1 ? " folder." : " folders."));
}
