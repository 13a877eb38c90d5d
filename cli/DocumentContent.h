#pragma once

#include <QByteArray>
#include <QString>

namespace fk::cli {

enum class DocumentContent { Document, Empty, NotADocument, NotAFile, Unreadable };

// What a file's first bytes say: an OpenDocument or other zip package, an OLE2 compound file (.doc),
// RTF, WordPerfect or XML (flat OpenDocument, Word XML) is a document the office may split; anything
// else (plain text, pictures, programs) is not, and an empty file never is.
DocumentContent ClassifyContent(const QByteArray& head);

// Reads the file's first bytes and classifies them. A named pipe, a device or a socket is not opened.
DocumentContent ExamineDocument(const QString& path);

// Why a file is not split, for the report; empty for a document.
QString ContentProblem(DocumentContent content);

}  // namespace fk::cli
