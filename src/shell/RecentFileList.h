#pragma once

#include <QString>
#include <array>

class QSettings;

// The four most recently used project files, slot 1 the most recent. Every change keeps the
// filled slots first and no path in two slots; a list read from the settings is taken as it is.
// Paths are compared exactly, letter case included.
class CRecentFileList {
public:
    static constexpr int kSlotCount = 4;

    // The path in a slot (1 to 4); empty for an empty slot or a slot out of range.
    QString File(int slot) const;
    // The slot holding exactly this path, or 0.
    int SlotOf(const QString& path) const;
    bool IsEmpty() const;

    // Puts the path in slot 1 and moves the files above its old slot one down (a new path pushes
    // slot 4 out). False when it already was in slot 1: nothing changed.
    bool AddRecentFile(const QString& path);
    // Empties the slot and closes the gap.
    void RemoveRecentFile(int slot);

    // Group "RecentFileList", values "RecentFile1" to "RecentFile4". Saving writes all four,
    // empty ones included.
    void LoadRecentFiles(QSettings& settings);
    void SaveRecentFiles(QSettings& settings) const;

private:
    std::array<QString, kSlotCount> files;
};
