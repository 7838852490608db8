#include "SitePath.h"

#include <charconv>
#include <vector>

namespace {

struct Component {
    std::string text;
    bool itemNumber = false;  // "#N" not escaped
};

// The components of a path, with escapes taken out; empty ones (a leading or doubled "/") left
// out. False when a backslash ends the path.
bool SplitPath(std::string_view path, std::vector<Component>& components) {
    Component current;
    bool startOfComponent = true;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\') {
            if (++i == path.size()) return false;
            current.text += path[i];
        } else if (c == '/') {
            if (!current.text.empty() || current.itemNumber)
                components.push_back(std::move(current));
            current = {};
            startOfComponent = true;
            continue;
        } else if (c == '#' && startOfComponent) {
            current.itemNumber = true;
        } else {
            current.text += c;
        }
        startOfComponent = false;
    }
    if (!current.text.empty() || current.itemNumber) components.push_back(std::move(current));
    return true;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

CSitePathTarget FindSitePath(const CSiteTree& tree, std::string_view path) {
    CSitePathTarget target;
    std::vector<Component> components;
    if (!SplitPath(path, components)) {
        target.error = "the path " + Quoted(path) + " ends in a backslash";
        return target;
    }
    const CSiteNode* node = tree.Root();
    for (std::size_t i = 0; i < components.size(); ++i) {
        const Component& component = components[i];
        const bool last = i + 1 == components.size();
        const std::string place = DescribeSitePlace(tree, node->Key());
        if (component.itemNumber) {
            std::size_t number = 0;
            const std::string& digits = component.text;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (error != std::errc() || end != digits.data() + digits.size() || number == 0) {
                target.error = Quoted("#" + digits) + " is no item number (#1 is the first item)";
                return target;
            }
            if (!last) {
                target.error = "#" + digits + " names an item, which holds no sub-sites";
                return target;
            }
            const auto& items = node->Folder().items;
            if (number > items.size()) {
                target.error = place + " has " + std::to_string(items.size()) + " items, no #" +
                               std::to_string(number);
                return target;
            }
            target.folder = node->Key();
            target.item = items[number - 1].key;
            return target;
        }
        std::vector<const CSiteNode*> folders;
        for (const auto& child : node->Children())
            if (child->Folder().caption == component.text) folders.push_back(child.get());
        std::vector<CItemKey> items;
        if (last)
            for (const CSiteItem& item : node->Folder().items)
                if (item.caption == component.text) items.push_back(item.key);
        const std::size_t found = folders.size() + items.size();
        if (found == 0) {
            target.error = place + " has no " + (last ? "sub-site or item " : "sub-site ") +
                           Quoted(component.text);
            return target;
        }
        if (found > 1) {
            target.error = place + " has " + std::to_string(found) + " " +
                           (items.empty() ? "sub-sites" : "sub-sites and items") + " captioned " +
                           Quoted(component.text) +
                           (items.empty() ? "" : "; name an item by its number, #N");
            return target;
        }
        if (!items.empty()) {
            target.folder = node->Key();
            target.item = items.front();
            return target;
        }
        node = folders.front();
    }
    target.folder = node->Key();
    return target;
}

std::string DescribeSitePlace(const CSiteTree& tree, CFolderKey folder, CItemKey item) {
    std::vector<std::string_view> captions;
    for (const CSiteNode* node = tree.Find(folder); node != nullptr; node = node->Parent())
        captions.push_back(node->Folder().caption);
    std::string text;
    for (auto it = captions.rbegin(); it != captions.rend(); ++it) {
        if (!text.empty()) text += " > ";
        text += *it;
    }
    if (const CSiteItem* record = item ? tree.Find(item) : nullptr)
        text += ", item " + std::to_string(record->id + 1) + " " + Quoted(record->caption.View());
    return text;
}
