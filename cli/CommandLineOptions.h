#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace fk::cli {

// The options of folioknife-split as GNU tools read theirs: -j2 and -opages, --jobs=2, an unambiguous
// prefix of a long option (--out), options after the inputs, and -- before inputs that begin with a
// dash. Values are kept as given; the command line checks them.
class CommandLineOptions {
public:
    enum class Option {
        Output,
        Jobs,
        Timeout,
        Visible,
        Verbose,
        Method,
        Pages,
        Every,
        At,
        Format,
        Json,
        Shard,
        Resume,
        Help,
        Version,
        FilesFrom,
        Null,
        Quiet,
        Progress,
        Verify,
    };

    // The arguments with the program's name first; nothing, and `error` set, on a usage error.
    static std::optional<CommandLineOptions> read(const QStringList& arguments, QString& error);

    bool isSet(Option option) const { return values_.contains(option); }
    // The value given last, as with every such tool.
    QString value(Option option) const { return values_.value(option); }
    const QStringList& positionalArguments() const { return inputs_; }

private:
    QHash<Option, QString> values_;
    QStringList inputs_;
};

}  // namespace fk::cli
