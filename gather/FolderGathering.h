#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace fk {

struct GatheredFolder {
    struct Problem {
        QByteArray nativePath;  // as the file system holds it, for the caller to show
        QString text;
    };
    QStringList documents;  // absolute paths, sorted by path: case-insensitive, then by character code
    QList<Problem> problems;
};

// The documents of a folder, as both faces take a folder: files whose names end in a gathered
// extension (see HasGatheredExtension), from the folder alone or its whole tree. Left out: hidden
// files and folders (names starting with "."), lock files ("~…"), the pages this program cut from a
// document that lies beside them (their metadata names it; see slicer/PageOrigin.h), and whatever a link leads to outside
// the folder; a link inside it is followed, and a folder reached twice is gathered once. Reported, not
// skipped in silence: names that are not UTF-8, folders that cannot be read, links that lead nowhere
// or out of the folder. Whatever else bears a document's name (a named pipe, a device) is listed with
// the documents, for the caller's own checks to refuse.
GatheredFolder GatherFolder(const QString& folder, bool recursive);

}  // namespace fk
