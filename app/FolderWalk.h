#pragma once

#include <QStringList>
#include <functional>

#include "app/FileSystem.h"
#include "app/Prompts.h"

namespace fk {

// True when a folder name holds a character the rest of the program cannot handle: a control
// character, 127 to 159, "?", or bytes that are not UTF-8.
bool HasUnsafeCharacters(const QString& name);

// Extends `folders` (each ending in the separator) in place with every folder below them, level by
// level. Folders whose listing fails with "permission denied" or "path not found" are removed.
// `yield` lets the window handle pending events.
void GetSubDirectories2016(QStringList& folders, bool recurse, FileSystem& fileSystem, Prompts& prompts,
                           const std::function<void()>& yield);

// The folder dialog: the chosen folder without a trailing separator (but for the root), or empty.
QString BrowseForFolder(Prompts& prompts, const QString& title, const QString& startFolder);

}  // namespace fk
