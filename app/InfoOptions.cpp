#include "app/InfoOptions.h"

namespace fk {

QString WindowUsageText() {
    return QStringLiteral(R"(Usage: folioknife [--method slice|copy] [--format odt|pdf|docx]
                  [--at page|heading:N] [--pages LIST | --every N] [Qt options] [FILE...]

Opens the window that splits word-processor documents into one-page documents. Each FILE is
added to the list; while a window runs, a start with files hands them to that window and ends.

Options:
  --method slice|copy  how Start Splitting splits each document: slice (the default) cuts the
                       pages from the document the office lays out; copy copies each page in an
                       office in view. Without it, the SplitMethod setting decides.
  --format, --at, --pages, --every
                       what Start Splitting makes, as folioknife-split takes them; without
                       them, the OutputFormat, CutAt, Pages and Every settings decide.
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
        if (argument == QLatin1String("--method") || argument == QLatin1String("--format") ||
            argument == QLatin1String("--at") || argument == QLatin1String("--pages")) {
            ++i;  // its value is the option's, whatever it looks like
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
