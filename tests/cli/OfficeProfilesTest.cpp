#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <optional>
#include <string_view>

#include <pugixml.hpp>

#include "Bounds.h"
#include "FakeOrphanOffices.h"
#include "QtPrinters.h"
#include "base/Failure.h"
#include "cli/OfficeProfileSettings.h"
#include "cli/OfficeProfiles.h"
#include "cli/OrphanOffices.h"
#include "files/TemporaryName.h"
#include "split/OfficeProcess.h"

using namespace fk::cli;

namespace {

TEST(OfficeProfiles, RunsAtTheSameTimeGetFoldersOfTheirOwnAndLaterRunsReuseThem) {
    QTemporaryDir cache;
    const QString base = cache.filePath("offices");
    fk::test::FakeOrphanOffices orphans;
    {
        OfficeProfiles first(base, 2, orphans, {});
        EXPECT_EQ(first.folders(), (QStringList{base + "/1", base + "/2"}));
        OfficeProfiles second(base, 1, orphans, {});
        EXPECT_EQ(second.folders(), QStringList{base + "/3"}) << "1 and 2 are held by the first run";
    }
    OfficeProfiles later(base, 1, orphans, {});
    EXPECT_EQ(later.folders(), QStringList{base + "/1"});
    EXPECT_EQ(orphans.stopped, (QStringList{base + "/1", base + "/2", base + "/3", base + "/1"}))
        << "each folder taken over is first rid of an office an earlier, killed run left on it";
}

TEST(OfficeProfiles, AFolderThatCannotBeMadeIsAnError) {
    fk::test::FakeOrphanOffices orphans;
    EXPECT_THROW(OfficeProfiles("/proc/folioknife/offices", 1, orphans, {}), fk::Failure);
}

TEST(OfficeProfiles, DefaultFolderFollowsXdgCacheHome) {
    qputenv("XDG_CACHE_HOME", "/var/tmp/somewhere");
    EXPECT_EQ(OfficeProfiles::defaultBaseFolder(), "/var/tmp/somewhere/folioknife/offices");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_TRUE(OfficeProfiles::defaultBaseFolder().endsWith("/.cache/folioknife/offices"));
}

// A stand-in for an office: a shell that waits on its input, with the office's profile argument.
QProcess* startOfficeOn(const QString& profileFolder, QObject* parent) {
    auto* process = new QProcess(parent);
    process->start("sh",
                   {"-c", "read x", "sh", "--headless", fk::OfficeProcess::profileArgument(profileFolder)});
    EXPECT_TRUE(process->waitForStarted());
    return process;
}

TEST(ProcessTableOrphans, KillsTheOfficesOfThatProfileOnly) {
    QTemporaryDir cache;
    QObject owner;
    QProcess* orphan = startOfficeOn(cache.filePath("offices/1"), &owner);
    QProcess* other = startOfficeOn(cache.filePath("offices/12"), &owner);
    ProcessTableOrphans table;
    ASSERT_EQ(table.officesUsing(cache.filePath("offices/1")),
              QList<pid_t>{static_cast<pid_t>(orphan->processId())});

    table.stopOfficesUsing(cache.filePath("offices/1"));

    EXPECT_TRUE(orphan->waitForFinished(5000));
    EXPECT_EQ(orphan->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(other->state(), QProcess::Running);
    other->kill();
    other->waitForFinished(5000);
}

// A pipe as the office makes it: a socket file, listened on while the office lives.
int makePipe(const QString& path, bool listening) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    EXPECT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    if (listening) {
        EXPECT_EQ(::listen(socket, 1), 0);
        return socket;
    }
    ::close(socket);
    return -1;
}

TEST(RemoveDeadOfficePipes, OnlyOurPipesThatNobodyListensOnAreRemoved) {
    QTemporaryDir folder;
    const QString ours = QStringLiteral("OSL_PIPE_%1_folioknife-").arg(::getuid());
    makePipe(folder.filePath(ours + "dead"), false);
    const int live = makePipe(folder.filePath(ours + "live"), true);
    makePipe(folder.filePath(QStringLiteral("OSL_PIPE_%1_SingleOfficeIPC_1f8f").arg(::getuid())), false);

    EXPECT_EQ(fk::RemoveDeadOfficePipes(folder.path()), 1);

    EXPECT_EQ(
        QDir(folder.path()).entryList(QDir::System),
        (QStringList{ours + "live", QStringLiteral("OSL_PIPE_%1_SingleOfficeIPC_1f8f").arg(::getuid())}));
    ::close(live);
}

TEST(RemoveLeftoverTemporaries, OnlyOursOfRunsGoneFromThisHostAreRemoved) {
    using fk::files::TemporaryName;
    using fk::files::TemporaryOwner;
    QTemporaryDir folder;
    const TemporaryOwner here = TemporaryOwner::thisProcess();
    const TemporaryOwner gone{here.host, fk::test::DeadPid()};
    const auto name = [](const QString& target, const TemporaryOwner& owner) {
        return QString::fromStdString(TemporaryName::of(target.toStdString(), owner, 0x5eed));
    };
    const auto make = [&folder](const QString& fileName) {
        QFile file(folder.filePath(fileName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("partial");
    };
    make(name("a_0001.odt", gone));  // a page a killed run was writing
    ASSERT_TRUE(QDir(folder.path()).mkpath(name("folioknife-split", gone) + "/inside"));
    make(name("folioknife-split", gone) + "/inside/marked.odt");  // a killed run's working folder
    make("lunch-menu.tmp");                                       // the user's own
    make("lu1ab2.tmp");                                           // an office's, perhaps on another host
    const QString otherHost = name("a_0002.odt", {here.host ^ 1, gone.pid});
    make(otherHost);  // a shared folder: the same process id means nothing there
    const QString running = name("a_0003.odt", here);
    make(running);

    EXPECT_EQ(fk::RemoveLeftoverTemporaries(folder.path()), 2);

    QStringList left = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    left.sort();
    QStringList kept{"lunch-menu.tmp", "lu1ab2.tmp", otherHost, running};
    kept.sort();
    EXPECT_EQ(left, kept);
}

}  // namespace

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An office installation as far as its configuration goes: program/ beside share/registry/main.xcd.
class FakeInstallation {
public:
    explicit FakeInstallation(const QByteArray& configuration) {
        QDir().mkpath(folder_.filePath("program"));
        QDir().mkpath(folder_.filePath("share/registry"));
        QFile file(folder_.filePath("share/registry/main.xcd"));
        if (file.open(QIODevice::WriteOnly)) file.write(configuration);
    }
    QString program() const { return folder_.filePath("program"); }

    // The shape the office's own file has: the schema's empty default first, the brand's value after.
    static QByteArray configuration(const char* version) {
        return QByteArray(
                   "<?xml version=\"1.0\"?><oor:data xmlns:oor=\"http://openoffice.org/2001/registry\">"
                   "<oor:component-schema oor:name=\"Setup\"><component><group oor:name=\"Product\">"
                   "<prop oor:name=\"ooSetupVersion\"><value/></prop></group></component>"
                   "</oor:component-schema><oor:component-data oor:name=\"Setup\">"
                   "<node oor:name=\"Product\"><prop oor:name=\"ooSetupVersion\"><value>") +
               version + "</value></prop></node></oor:component-data></oor:data>";
    }

private:
    QTemporaryDir folder_;
};

TEST(OfficeProfileSettings, TheVersionLastRunAsIsTheInstallationsOwnOrNone) {
    const struct {
        const char* installation;
        QByteArray configuration;
        std::optional<std::string> version;
    } cases[] = {
        {"as installed", FakeInstallation::configuration("7.4"), "7.4"},
        {"no value of its own", FakeInstallation::configuration(""), std::nullopt},
        {"not a version", FakeInstallation::configuration("seven"), std::nullopt},
        {"not XML", "<oor:data", std::nullopt},
    };
    for (const auto& c : cases) {
        const FakeInstallation installation(c.configuration);
        EXPECT_EQ(InstalledOfficeVersion(installation.program()), c.version) << c.installation;
        const std::vector<OfficeSetting> settings = UnattendedOfficeSettings(installation.program());
        EXPECT_EQ(settings.back().name == "ooSetupLastVersion", c.version.has_value()) << c.installation;
    }
    EXPECT_EQ(InstalledOfficeVersion(QTemporaryDir().path()), std::nullopt) << "no installation";
}

TEST(OfficeProfileSettings, TextDocumentsGetAnEmptyStatusBarWrittenOnce) {
    QTemporaryDir profile;
    const QString path = profile.filePath("user/config/soffice.cfg/modules/swriter/statusbar/statusbar.xml");
    ASSERT_TRUE(WriteEmptyWriterStatusBar(profile.path()).isEmpty());
    pugi::xml_document written;
    ASSERT_TRUE(written.load_file(QFile::encodeName(path).constData()));
    EXPECT_STREQ(written.document_element().name(), "statusbar:statusbar");
    EXPECT_FALSE(written.document_element().first_child()) << "no item, so no word count";
    struct stat before {}, after {};  // a QSaveFile would put a new file in place
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    ASSERT_TRUE(WriteEmptyWriterStatusBar(profile.path()).isEmpty());
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "a profile that has it keeps its file";
    EXPECT_FALSE(WriteEmptyWriterStatusBar("/proc/folioknife/profile").isEmpty());
}

TEST(OfficeProfileSettings, AreAddedToWhatTheOfficeStoredAndWrittenOnlyWhenMissing) {
    const QByteArray head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items "
        "xmlns:oor=\"http://openoffice.org/2001/registry\">";
    const QByteArray othersOwn =
        "<item oor:path=\"/org.openoffice.Setup/Office\"><prop oor:name=\"ooSetupInstCompleted\" "
        "oor:op=\"fuse\"><value>true</value></prop></item>";
    const QByteArray spellingOn =
        "<item oor:path=\"/org.openoffice.Office.Linguistic/SpellChecking\"><prop oor:name=\"IsSpellAuto\" "
        "oor:op=\"fuse\"><value>true</value></prop></item>";
    const FakeInstallation installation(FakeInstallation::configuration("7.4"));
    QByteArray settled;  // what a first write leaves, which a second finds complete
    const struct {
        const char* profile;
        std::optional<QByteArray> before;  // none: a profile not yet made
        bool written;
    } cases[] = {
        {"new", std::nullopt, true},
        {"the office's own items, spelling on", head + othersOwn + spellingOn + "</oor:items>", true},
        {"already set", std::nullopt, false},
        {"not the office's file", QByteArray("<oor:items"), false},
    };
    for (const auto& c : cases) {
        QTemporaryDir profile;
        const QString path = profile.filePath("user/registrymodifications.xcu");
        QDir().mkpath(profile.filePath("user"));
        const QByteArray before =
            std::string_view(c.profile) == "already set" ? settled : c.before.value_or("");
        if (!before.isEmpty()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        const std::vector<OfficeSetting> settings = UnattendedOfficeSettings(installation.program());
        ASSERT_EQ(settings.back().value, "7.4") << "the installation's version is the last it ran as";
        const QString error = WriteOfficeSettings(profile.path(), settings);
        const QByteArray after = readAll(path);
        EXPECT_EQ(after != before, c.written) << c.profile;
        if (std::string_view(c.profile) == "not the office's file") {
            EXPECT_FALSE(error.isEmpty()) << c.profile;
            continue;
        }
        EXPECT_TRUE(error.isEmpty()) << c.profile << ": " << qPrintable(error);
        for (const OfficeSetting& setting : settings) {
            const QByteArray property = QByteArray("oor:name=\"") + setting.name.c_str() + "\"";
            EXPECT_EQ(after.count(property), 1) << c.profile << setting.name;
            const qsizetype value = after.indexOf("<value>", after.indexOf(property)) + 7;
            EXPECT_EQ(after.mid(value, after.indexOf("</value>", value) - value),
                      QByteArray::fromStdString(setting.value))
                << c.profile << setting.name;
        }
        if (c.before) {
            EXPECT_TRUE(after.contains(othersOwn)) << c.profile << ": the office's own items are kept";
        }
        if (std::string_view(c.profile) == "new") settled = after;
    }
}

}  // namespace
