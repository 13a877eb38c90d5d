#pragma once

#include <QString>
#include <QStringList>

namespace fk {

// The file dialog's answer for the chosen paths: one path as it is; several as the folder they all
// lie in, then each one's path below that folder after a NUL character, so that folder and name
// joined give the path again, even when the files were picked in different folders.
QString FileDialogAnswer(const QStringList& chosenPaths);

}  // namespace fk
