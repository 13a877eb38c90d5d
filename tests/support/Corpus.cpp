#include "Corpus.h"

#include <QDir>
#include <QFileInfo>

namespace fk::test {

QString CorpusFolder() {
    const QString chosen = qEnvironmentVariable("FOLIOKNIFE_CORPUS");
    return QDir::cleanPath(chosen.isEmpty() ? QStringLiteral(FOLIOKNIFE_DEFAULT_CORPUS) : chosen);
}

std::string CorpusAbsence() {
    const QFileInfo folder(CorpusFolder());
    if (folder.isDir() && folder.isReadable()) return {};
    return ("no corpus at " + folder.filePath() + " (set FOLIOKNIFE_CORPUS to its folder)").toStdString();
}

bool CorpusRequired() {
    return qEnvironmentVariableIsSet("CI");
}

}  // namespace fk::test
