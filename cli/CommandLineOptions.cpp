#include "cli/CommandLineOptions.h"

#include <getopt.h>

#include <QFile>
#include <array>
#include <mutex>
#include <string>
#include <vector>

namespace fk::cli {

namespace {

using Option = CommandLineOptions::Option;

// getopt's codes of the long options, above any letter.
constexpr int kLongOnly = 256;

constexpr std::array kLongOptions{
    option{"output", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Output)},
    option{"jobs", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Jobs)},
    option{"timeout", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Timeout)},
    option{"visible", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Visible)},
    option{"verbose", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Verbose)},
    option{"method", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Method)},
    option{"pages", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Pages)},
    option{"every", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Every)},
    option{"at", required_argument, nullptr, kLongOnly + static_cast<int>(Option::At)},
    option{"format", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Format)},
    option{"json", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Json)},
    option{"shard", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Shard)},
    option{"resume", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Resume)},
    option{"help", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Help)},
    option{"version", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Version)},
    option{"files-from", required_argument, nullptr, kLongOnly + static_cast<int>(Option::FilesFrom)},
    option{"null", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Null)},
    option{"quiet", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Quiet)},
    option{"progress", required_argument, nullptr, kLongOnly + static_cast<int>(Option::Progress)},
    option{"verify", no_argument, nullptr, kLongOnly + static_cast<int>(Option::Verify)},
    option{nullptr, 0, nullptr, 0},
};
// The short spellings, as getopt returns them: ':' first, so that a missing value is told apart.
constexpr const char* kShortOptions = ":o:j:t:hq";

std::optional<Option> ShortOption(int letter) {
    switch (letter) {
        case 'o':
            return Option::Output;
        case 'j':
            return Option::Jobs;
        case 't':
            return Option::Timeout;
        case 'h':
            return Option::Help;
        case 'q':
            return Option::Quiet;
        default:
            return std::nullopt;
    }
}

// The long options an abbreviation could mean.
QStringList LongOptionsStartingWith(const QString& abbreviation) {
    QStringList names;
    for (const option& known : kLongOptions) {
        if (known.name != nullptr && QLatin1String(known.name).startsWith(abbreviation))
            names << QStringLiteral("--") + QLatin1String(known.name);
    }
    return names;
}

// What the user typed for the option getopt stopped at, without its value.
QString OptionAsTyped(const std::string& argument) {
    const QString text = QFile::decodeName(QByteArray::fromStdString(argument));
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    return equals < 0 ? text : text.left(equals);
}

// The error getopt stopped at, in our words: `code` is the short option's letter, the long option's
// code, or 0 for a long option getopt does not know; `typed` is the argument it stopped at.
QString usageError(bool missingValue, int code, const std::string& typed) {
    if (code > 0 && code < kLongOnly) {
        const QString name = QStringLiteral("-") + QLatin1Char(static_cast<char>(code));
        return missingValue ? QStringLiteral("%1 needs a value.").arg(name)
                            : QStringLiteral("Unknown option '%1'.").arg(name);
    }
    for (const option& known : kLongOptions) {
        if (known.name != nullptr && code != 0 && known.val == code) {
            const QString name = QStringLiteral("--") + QLatin1String(known.name);
            return missingValue ? QStringLiteral("%1 needs a value.").arg(name)
                                : QStringLiteral("%1 takes no value.").arg(name);
        }
    }
    const QString name = OptionAsTyped(typed);
    const QStringList meant = LongOptionsStartingWith(name.mid(2));
    if (name.startsWith(QLatin1String("--")) && meant.size() > 1)
        return QStringLiteral("%1 is ambiguous: it could be %2.").arg(name, meant.join(QStringLiteral(", ")));
    return QStringLiteral("Unknown option '%1'.").arg(name);
}

// getopt keeps its place in globals.
std::mutex getoptState;

}  // namespace

std::optional<CommandLineOptions> CommandLineOptions::read(const QStringList& arguments, QString& error) {
    std::vector<std::string> storage;
    storage.reserve(arguments.size());
    for (const QString& argument : arguments) storage.push_back(QFile::encodeName(argument).toStdString());
    std::vector<char*> argv;
    for (std::string& argument : storage) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    // The text Qt made of the argument (or of its end, after "-o" or "--output="), so that a name
    // that is not UTF-8 is still found by that text.
    const auto original = [&](const char* text) {
        for (std::size_t index = 0; index < storage.size(); ++index) {
            const char* begin = storage[index].data();
            if (text >= begin && text <= begin + storage[index].size())
                return arguments.at(static_cast<qsizetype>(index)).mid(text - begin);  // options are ASCII
        }
        return QFile::decodeName(text);
    };

    const std::lock_guard lock(getoptState);
    optind = 0;  // glibc: start afresh, forgetting any earlier scan
    opterr = 0;  // the errors are ours to word
    CommandLineOptions read;
    for (;;) {
        const int found = ::getopt_long(argc, argv.data(), kShortOptions, kLongOptions.data(), nullptr);
        if (found == -1) break;
        if (found == '?' || found == ':') {
            error = usageError(found == ':', optopt, optind > 0 && optind <= argc ? argv[optind - 1] : "");
            return std::nullopt;
        }
        const std::optional<Option> option =
            ShortOption(found) ? ShortOption(found) : static_cast<Option>(found - kLongOnly);
        read.values_.insert(*option, optarg != nullptr ? original(optarg) : QString());
    }
    // getopt moved the inputs behind the options, in their order.
    for (int index = optind; index < argc; ++index) read.inputs_ << original(argv[index]);
    return read;
}

}  // namespace fk::cli
