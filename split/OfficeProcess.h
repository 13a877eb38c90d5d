#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <vector>

namespace fk {

// How the office is started. Read from the environment so that tests and benchmarks can run a
// headless office with a profile of their own:
//   FOLIOKNIFE_SOFFICE         the soffice program (default: soffice on PATH, links resolved)
//   FOLIOKNIFE_OFFICE_HEADLESS 1 for an office without windows
//   FOLIOKNIFE_OFFICE_PROFILE  the office's profile folder (default: the user's own)
struct OfficeOptions {
    QString soffice;
    bool headless = false;
    QString profileFolder;
    // The office's own messages on standard output and error are dropped (a command line has its own).
    bool quiet = false;
    // Where the office keeps its temporary files (TMPDIR); empty: where the environment says. An office
    // that is killed leaves them behind, so the folder is one of ours, removed when the office is stopped.
    QString temporaryFolder = {};

    static OfficeOptions fromEnvironment();
    // The folder that holds soffice and the office's bootstrap files.
    QString programFolder() const;
};

// The program that starts the office, and the variables it sets ("NAME=value"). On Linux the office's
// own launcher script turns the office's file locking on and hands its arguments to `oosplash` beside
// it, unless told to run the office under a debugger or recorder (VALGRIND, RR, or options of its own):
// started straight away with that setting, the office comes up without the script's eight commands
// (7 ms of every start). Any other program (a wrapper of the user's, a build whose script reads
// `ooenv`), or a run with VALGRIND or RR set, starts the script as it is.
struct OfficeLaunch {
    QString program;
    std::vector<QByteArray> environment;
};
OfficeLaunch LaunchOf(const QString& soffice);

// `environment` ("NAME=value" entries) with a UTF-8 character locale, C.UTF-8, where the locale it
// names (LC_ALL, else LC_CTYPE, else LANG) is not UTF-8: an office in the C locale cannot open a
// document whose name is not ASCII. What LC_ALL chose for the other categories stays theirs, by LANG.
std::vector<QByteArray> WithUtf8CharacterLocale(std::vector<QByteArray> environment);

// One office process listening on a private pipe.
class OfficeProcess {
public:
    enum class State { NotStarted, Running, RestartRequested, HandedOver, Failed };
    // Exit code of an office that wants to be started again (first start of a new profile).
    static constexpr int kRestartExitCode = 81;

    explicit OfficeProcess(OfficeOptions options);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    const OfficeOptions& options() const { return options_; }

    // Starts a new office on a new pipe; throws Failure when the program cannot be run.
    void start();
    // Polls the process without blocking.
    State state();
    // Ends the office this object started, by process id (TERM, then KILL after a grace period).
    void stop();
    // Kills the office at once without waiting for it; safe to call from another thread, for an
    // office that no longer answers. The owner's next state() sees it gone.
    void abandon();
    // The program is ending: stops the office if it runs as this object's child, and start() refuses
    // from now on, for an office started meanwhile (by a split that saw the office go) would outlive
    // the program. A start under way finishes first, and the office it started is the one stopped.
    void stopForGood();

    pid_t pid() const { return pid_; }
    // The office's process group (the office proper runs as a child of the wrapper); -1 when stopped.
    pid_t groupId() const { return groupId_; }
    const QString& pipeName() const { return pipeName_; }
    QStringList arguments() const;

    // A pipe name nobody else can guess or take first; it begins with kPipeNamePrefix.
    static QString newPipeName();
    static inline const QString kPipeNamePrefix = QStringLiteral("folioknife-");
    // The argument that starts an office on this profile folder.
    static QString profileArgument(const QString& profileFolder);
    // The socket on which an office on this profile answers a second start of itself. The office
    // removes it only when it closes itself; stop() removes it once nothing answers on it.
    static QString instanceSocketPath(const QString& profileFolder);

private:
    void stopLocked();
    void killGroupAfterGrace();
    // Removes the socket of the profile's office once nothing answers on it.
    void removeProfileSocketIfDead();

    // start() and stop() may be called on different threads (a split's and the program's end).
    std::mutex lifecycle_;
    std::atomic<bool> startsRefused_ = false;

    OfficeOptions options_;
    QString pipeName_;
    pid_t pid_ = -1;
    std::atomic<pid_t> groupId_ = -1;
    State state_ = State::NotStarted;
};

}  // namespace fk
