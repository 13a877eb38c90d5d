#pragma once

#include <QString>

namespace fk {

// Whether the document needs a password to be opened: an OpenDocument package whose manifest declares
// encrypted parts, or a compound file (the container of .doc files) that holds an "EncryptionInfo"
// stream, as Word stores a .docx or .doc saved with a password, or a Word 97 "WordDocument" stream
// whose header says it is encrypted. Reads a bounded prefix only.
bool NeedsPassword(const QString& documentPath);

// The same test on bytes already read from the start of a compound file.
bool CompoundFileDeclaresEncryption(const std::string& prefix);

}  // namespace fk
