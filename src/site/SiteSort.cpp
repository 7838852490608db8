#include "SiteSort.h"

#include <algorithm>
#include <set>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view LinkedFileName(std::string_view url) {
    constexpr std::string_view kScheme = "file://";
    if (url.size() < kScheme.size()) return url;
    for (std::size_t i = 0; i < kScheme.size(); ++i)
        if (Lower(url[i]) != kScheme[i]) return url;
    const std::string_view path = url.substr(kScheme.size());
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

int CompareNames(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Leading zeros say nothing about the value; a longer run is the larger number.
            std::size_t startA = i;
            std::size_t startB = j;
            while (startA < a.size() && a[startA] == '0') ++startA;
            while (startB < b.size() && b[startB] == '0') ++startB;
            std::size_t endA = startA;
            std::size_t endB = startB;
            while (endA < a.size() && IsDigit(a[endA])) ++endA;
            while (endB < b.size() && IsDigit(b[endB])) ++endB;
            if (endA - startA != endB - startB) return endA - startA < endB - startB ? -1 : 1;
            if (const int digits =
                    a.substr(startA, endA - startA).compare(b.substr(startB, endB - startB));
                digits != 0)
                return digits;
            i = endA;
            j = endB;
            continue;
        }
        const char x = Lower(a[i]);
        const char y = Lower(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    // Equal but for case or leading zeros: the bytes decide, so the order is always the same.
    return a.compare(b);
}

std::vector<CItemKey> SortedItems(const CSiteFolder& folder, CSortOrder order,
                                  const CDateTakenFn& dateTaken) {
    struct Row {
        const CSiteItem* item;
        std::optional<std::string> date;
    };
    std::vector<Row> rows;
    rows.reserve(folder.items.size());
    for (const CSiteItem& item : folder.items)
        rows.push_back({&item, order == CSortOrder::DateTaken && dateTaken
                                   ? dateTaken(item)
                                   : std::optional<std::string>()});
    const auto byFileName = [](const Row& a, const Row& b) {
        return CompareNames(LinkedFileName(a.item->url.View()),
                            LinkedFileName(b.item->url.View())) < 0;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        switch (order) {
            case CSortOrder::Caption:
                return CompareNames(a.item->caption.View(), b.item->caption.View()) < 0;
            case CSortOrder::FileName:
                return byFileName(a, b);
            case CSortOrder::DateTaken:
                if (a.date.has_value() != b.date.has_value()) return a.date.has_value();
                if (a.date && *a.date != *b.date) return *a.date < *b.date;
                return byFileName(a, b);
        }
        return false;
    });
    std::vector<CItemKey> keys;
    keys.reserve(rows.size());
    for (const Row& row : rows) keys.push_back(row.item->key);
    return keys;
}

CSiteStatus ReorderItems(CSiteTree& tree, CFolderKey folder, const std::vector<CItemKey>& order) {
    const CSiteNode* node = tree.Find(folder);
    if (node == nullptr) return CSiteStatus::NoSuchFolder;
    const auto& items = node->Folder().items;
    std::set<CItemKey> mine;
    for (const CSiteItem& item : items) mine.insert(item.key);
    const std::set<CItemKey> given(order.begin(), order.end());
    if (order.size() != items.size() || given != mine) return CSiteStatus::NotARow;
    for (std::size_t position = 0; position < order.size(); ++position) {
        // Only items out of place move, so an order already kept changes nothing.
        if (tree.Find(folder)->Folder().items[position].key == order[position]) continue;
        const CSiteStatus status = tree.MoveItemTo(order[position], position);
        if (status != CSiteStatus::Done) return status;
    }
    return CSiteStatus::Done;
}
