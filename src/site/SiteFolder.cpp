#include "SiteFolder.h"

CSiteFolder::CSiteFolder(const CSiteFolder& other)
    : id(other.id),
      caption(other.caption),
      description(other.description),
      itemCount(static_cast<std::int32_t>(other.items.size())) {
    items.reserve(other.items.size());
    for (const auto& item : other.items) items.push_back(std::make_unique<CSiteItem>(*item));
}

CSiteFolder& CSiteFolder::operator=(const CSiteFolder& other) {
    if (this != &other) {
        CSiteFolder copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CSiteItem& CSiteFolder::AddItem(std::unique_ptr<CSiteItem> item) {
    item->id = static_cast<std::int32_t>(items.size());
    items.push_back(std::move(item));
    itemCount = static_cast<std::int32_t>(items.size());
    return *items.back();
}

CSiteItem& CSiteFolder::AddItem(std::string caption, std::string url, std::string description) {
    auto item = std::make_unique<CSiteItem>();
    item->caption = std::move(caption);
    item->url = std::move(url);
    item->description = std::move(description);
    return AddItem(std::move(item));
}

CSiteItem* CSiteFolder::FindItem(std::int32_t itemId) const {
    for (const auto& item : items)
        if (item->id == itemId) return item.get();
    return nullptr;
}

void CSiteFolder::RemoveItem(std::int32_t itemId) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if ((*it)->id == itemId) {
            items.erase(it);
            break;
        }
    }
    RenumberItems();
}

void CSiteFolder::RenumberItems() {
    itemCount = static_cast<std::int32_t>(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) items[i]->id = static_cast<std::int32_t>(i);
}
