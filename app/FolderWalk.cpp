#include "app/FolderWalk.h"

#include <optional>

#include "app/Platform.h"
#include "app/ProcedureTrap.h"
#include "app/RuntimeError.h"

namespace fk {

namespace {

// Hidden system folders (and their links) are not entered.
constexpr int kHiddenSystemFolder = attr::kDirectory | attr::kSystem | attr::kHidden;
constexpr int kHiddenSystemAlias = kHiddenSystemFolder | attr::kAlias;

// A failure while the listing trap is armed: it ends the current entry's steps.
struct ListingFailure {
    int number;
};

bool descends(const FileSystem::Folder& folder) {
    return folder.isRoot ||
           (folder.attributes != kHiddenSystemAlias && folder.attributes != kHiddenSystemFolder);
}

QString parentOf(const QString& folder) {
    QString path = folder;
    while (path.size() > 1 && path.endsWith(platform::kPathSeparator)) path.chop(1);
    const qsizetype cut = path.lastIndexOf(platform::kPathSeparator);
    return cut < 0 ? QString() : path.left(cut + 1);
}

class Walk {
public:
    Walk(FileSystem& fileSystem, Prompts& prompts, const std::function<void()>& yield)
        : fs_(fileSystem),
          prompts_(prompts),
          yield_(yield),
          trap_(prompts, procedure::kGetSubDirectories2016) {}

    void run(QStringList& folders, bool recurse);

private:
    // A step under whichever trap is armed: the general one reports and goes on, the listing one
    // abandons the entry.
    template <typename Body>
    bool step(int line, Body&& body) {
        if (!listingTrapArmed_) return trap_.step(line, std::forward<Body>(body));
        try {
            body();
            return true;
        } catch (...) {
            throw ListingFailure{RuntimeErrorNumberOf(std::current_exception())};
        }
    }
    template <typename Condition>
    bool test(int line, Condition&& condition) {
        if (!listingTrapArmed_) return trap_.test(line, std::forward<Condition>(condition));
        bool result = true;
        step(line, [&] { result = condition(); });
        return result;
    }

    void listEntry(const QString& entry, QStringList& level);
    // A link that leads to its own folder or to one above it would make the walk go round for ever.
    bool leadsBack(const QString& entry, const QString& name);

    FileSystem& fs_;
    Prompts& prompts_;
    const std::function<void()>& yield_;
    ProcedureTrap trap_;
    bool listingTrapArmed_ = false;
};

void Walk::listEntry(const QString& entry, QStringList& level) {
    if (test(108, [&] { return !fs_.folderExists(entry); })) return;
    if (test(110, [&] { return entry.toUtf8().size() >= platform::kMaxPathLength; })) return;
    std::optional<FileSystem::Folder> folder;
    step(112, [&] { folder = fs_.getFolder(entry); });
    step(114, [&] { yield_(); });
    const bool enter = test(116, [&] {
        if (!folder) throw RuntimeError(91, QStringLiteral("Object variable or With block variable not set"));
        return descends(*folder);
    });
    if (!enter) return;
    listingTrapArmed_ = true;

    QList<FileSystem::SubFolder> subFolders;
    step(118, [&] { subFolders = fs_.subFolders(entry); });
    for (const FileSystem::SubFolder& sub : subFolders) {
        step(120, [&] { yield_(); });
        const QString& name = sub.name;                                           // 122
        if (name.toUtf8().size() >= platform::kMaxPathLength) continue;           // 124
        if (HasUnsafeCharacters(name)) continue;                                  // 126
        if (name.contains(QLatin1Char('?'))) continue;                            // 128
        if (name == QLatin1String(".") || name == QLatin1String("..")) continue;  // 130
        if (sub.alias && leadsBack(entry, name)) continue;
        step(134, [&] { level.append(entry + name + platform::kPathSeparator); });  // 132 builds the path
    }
}

bool Walk::leadsBack(const QString& entry, const QString& name) {
    const QString target = fs_.canonicalPath(entry + name);
    if (target.isEmpty()) return true;  // a dangling link leads nowhere
    for (QString ancestor = entry; !ancestor.isEmpty(); ancestor = parentOf(ancestor)) {
        if (fs_.canonicalPath(ancestor) == target) return true;
        if (ancestor == QString(platform::kPathSeparator)) break;
    }
    return false;
}

void Walk::run(QStringList& folders, bool recurse) {
    QStringList level;                            // 100 to 104
    for (qsizetype i = 0; i < folders.size();) {  // 106
        const QString entry = folders.at(i);
        try {
            listEntry(entry, level);
        } catch (const ListingFailure& failure) {  // 138
            if (failure.number == RuntimeError::NumberOfKind(FailureKind::AccessDenied) ||
                failure.number == RuntimeError::NumberOfKind(FailureKind::NotFound)) {
                // 140 to 148: the first equal entry goes; the walk goes on with the one after it.
                const qsizetype found = folders.indexOf(entry);
                if (found >= 0) {
                    folders.removeAt(found);
                    continue;
                }
            }
        }
        ++i;
    }

    if (recurse && !level.isEmpty()) {  // 150
        Walk deeper(fs_, prompts_, yield_);
        deeper.run(level, true);
    }
    listingTrapArmed_ = false;

    for (const QString& entry : level) {  // 152
        if (trap_.test(154, [&] { return !fs_.folderExists(entry); })) continue;
        trap_.step(156, [&] { yield_(); });
        if (trap_.test(158, [&] { return !descends(fs_.getFolder(entry)); })) continue;
        trap_.step(160, [&] { folders.append(entry); });
    }
}

}  // namespace

bool HasUnsafeCharacters(const QString& name) {
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 32 || (code >= 127 && code <= 159) || code == u'?' || code == 0xFFFD) return true;
    }
    return false;
}

void GetSubDirectories2016(QStringList& folders, bool recurse, FileSystem& fileSystem, Prompts& prompts,
                           const std::function<void()>& yield) {
    Walk(fileSystem, prompts, yield).run(folders, recurse);
}

QString BrowseForFolder(Prompts& prompts, const QString& title, const QString& startFolder) {
    QString folder = prompts.browseForFolder(title, startFolder);
    while (folder.size() > 1 && folder.endsWith(platform::kPathSeparator)) folder.chop(1);
    return folder;
}

}  // namespace fk
