#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Runs a sequence of tree operations chosen by the bytes (new, rename, delete, cut, copy,
// paste, drops with and without copy, moves, imports, undo and redo, copies of the whole
// project, save and load) on a tree that grows from the default project, and checks after each
// step that the tree keeps its rules, that its observers were told exactly what changed, that a
// refused operation changed nothing, and that undo and redo give back the trees they should.
// Returns "" when every check held, else what failed first and the operations that led to it.
std::string RunSiteTreeOps(std::span<const std::uint8_t> bytes);
