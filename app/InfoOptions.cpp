#include "app/InfoOptions.h"

namespace fk {

QString WindowUsageText() {
    return QStringLiteral(R"(Usage: folioknife [--method slice|copy] [Qt options]

Opens the window that splits word-processor documents into one-page documents.

Options:
  --method slice|copy  how Start Splitting splits each document: slice (the default) cuts the
                       pages from the document the office lays out; copy copies each page in an
                       office in view. Without it, the SplitMethod setting decides.
  --help               print this help and exit
  --version            print the version and exit

Qt's own options, such as -platform NAME and -style NAME, are accepted.
See folioknife(1) and, for the command line, folioknife-split(1).
)");
}

std::optional<QString> InfoOptionText(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) break;
        if (argument == QLatin1String("--method")) {
            ++i;  // its value is a method's name, whatever it looks like
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return WindowUsageText();
        } else if (argument == QLatin1String("--version")) {
            return QStringLiteral("folioknife " FOLIOKNIFE_VERSION "\n");
        }
    }
    return std::nullopt;
}

std::optional<QString> InfoOptionText(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return InfoOptionText(arguments);
}

}  // namespace fk
