#pragma once

#include <QString>
#include <QStringList>

namespace fk {

bool FileExists(const QString& path);
bool FolderExists(const QString& path);
QString RemoveExtension(const QString& name);

// Orders names as a folder listing shows them to people: by name, ignoring letter case, so that a
// folder's documents are split in the order the user sees them, not in the file system's own order.
// Names that differ only in case keep a fixed order.
void SortNamesAsListed(QStringList& names);
bool ListedBefore(const QString& left, const QString& right);

}  // namespace fk
