#include "RecentFileList.h"

#include <QSettings>
#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("RecentFileList");

QString KeyOf(int slot) {
    return QStringLiteral("RecentFile%1").arg(slot);
}

}  // namespace

QString CRecentFileList::File(int slot) const {
    if (slot < 1 || slot > kSlotCount) return {};
    return files[static_cast<std::size_t>(slot - 1)];
}

int CRecentFileList::SlotOf(const QString& path) const {
    if (path.isEmpty()) return 0;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (File(slot) == path) return slot;
    return 0;
}

bool CRecentFileList::IsEmpty() const {
    return std::all_of(files.begin(), files.end(),
                       [](const QString& file) { return file.isEmpty(); });
}

bool CRecentFileList::AddRecentFile(const QString& path) {
    if (path.isEmpty() || files[0] == path) return false;
    // Whatever stood above the path's old slot moves down one; a path not in the list makes room
    // at the bottom, as does one in the last slot.
    const int found = SlotOf(path);
    const std::size_t freed = found == 0 ? files.size() - 1 : static_cast<std::size_t>(found - 1);
    for (std::size_t i = freed; i > 0; --i) files[i] = files[i - 1];
    files[0] = path;
    return true;
}

void CRecentFileList::RemoveRecentFile(int slot) {
    if (slot < 1 || slot > kSlotCount) return;
    files[static_cast<std::size_t>(slot - 1)].clear();
    const auto kept = std::stable_partition(files.begin(), files.end(),
                                            [](const QString& file) { return !file.isEmpty(); });
    std::for_each(kept, files.end(), [](QString& file) { file.clear(); });
}

void CRecentFileList::LoadRecentFiles(QSettings& settings) {
    settings.beginGroup(kGroup);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        files[static_cast<std::size_t>(slot - 1)] = settings.value(KeyOf(slot)).toString();
    settings.endGroup();
}

void CRecentFileList::SaveRecentFiles(QSettings& settings) const {
    settings.beginGroup(kGroup);
    for (int slot = 1; slot <= kSlotCount; ++slot) settings.setValue(KeyOf(slot), File(slot));
    settings.endGroup();
}
