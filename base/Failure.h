#pragma once

#include <QString>
#include <cerrno>
#include <exception>
#include <stdexcept>

namespace fk {

// What went wrong, as callers react to it: the command line names a cause and a remedy by kind, the
// window shows the message, and both tell the user the same thing.
enum class FailureKind {
    Other,
    InvalidArgument,    // a caller's value the operation cannot take
    TooMany,            // a count past what the program can hold
    NotFound,           // a file or folder that is not there
    AccessDenied,       // there, but not readable or writable for us
    NoSpace,            // the file system is full
    FileAccess,         // reading or writing a file failed otherwise
    Password,           // the document needs a password
    Locked,             // another office holds the document; the message names who, from its lock file
    LockNotAFile,       // a pipe, device, socket or link stands at the lock file's name; the message names it
    NameTooLong,        // a name longer than the file system takes
    Damaged,            // the document cannot be read as what it claims to be
    ProtectedInput,     // an output would replace one of the run's inputs
    OfficeMissing,      // no office program is installed
    OfficeUnreachable,  // the office did not start or cannot be reached
    OfficeGone,         // the office went away during the work
    OfficeRefused,      // the office refused or failed a call
    NotUnderstood,      // the slicer cannot cut the document faithfully
    TimedOut,
    Interrupted,
};

// A failure of the program's own code, by kind, with the text the user reads.
// Thrown across the office plugin's boundary, so its type must be visible to both sides.
class __attribute__((visibility("default"))) Failure : public std::runtime_error {
public:
    Failure(FailureKind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message) {}

    FailureKind kind() const { return kind_; }
    const QString& message() const { return message_; }

    // The program's own words for the common failures; the window shows each kind in words of its own.
    static Failure invalidArgument() {
        return {FailureKind::InvalidArgument, QStringLiteral("invalid argument")};
    }
    static Failure tooMany() { return {FailureKind::TooMany, QStringLiteral("more than can be counted")}; }
    static Failure accessDenied() { return {FailureKind::AccessDenied, QStringLiteral("permission denied")}; }
    static Failure pathNotFound() {
        return {FailureKind::NotFound, QStringLiteral("no such file or folder")};
    }
    static Failure fileAccess(const QString& detail = {}) {
        return {FailureKind::FileAccess,
                detail.isEmpty() ? QStringLiteral("the file could not be read or written") : detail};
    }
    // The office program is not there or cannot be run: the one failure that means "not installed".
    static Failure officeMissing() {
        return {FailureKind::OfficeMissing, QStringLiteral("LibreOffice is not installed")};
    }
    static Failure officeUnreachable() {
        return {FailureKind::OfficeUnreachable,
                QStringLiteral("LibreOffice could not be started or reached")};
    }
    // A call on an office object that is no longer there.
    static Failure officeGone() { return {FailureKind::OfficeGone, QStringLiteral("LibreOffice went away")}; }
    // The office's own words for a call it refused or failed.
    static Failure officeRefused(const QString& what) { return {FailureKind::OfficeRefused, what}; }

private:
    FailureKind kind_;
    QString message_;
};

// The kind of failure an errno value of the file system tells.
inline FailureKind FailureKindOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FailureKind::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return FailureKind::AccessDenied;
        case ENOSPC:
        case EDQUOT:
            return FailureKind::NoSpace;
        case ENAMETOOLONG:
            return FailureKind::NameTooLong;
        default:
            return FailureKind::FileAccess;
    }
}

// The kind of the exception in `error`; Other for anything that is not a Failure.
inline FailureKind KindOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Failure& failure) {
        return failure.kind();
    } catch (...) {
        return FailureKind::Other;
    }
}

// The description of the exception in `error` as the program reports it: a failure's own message,
// another exception's message, or `otherwise` for anything else.
inline QString DescriptionOf(std::exception_ptr error,
                             const QString& otherwise = QStringLiteral("unknown error")) {
    try {
        std::rethrow_exception(error);
    } catch (const Failure& failure) {
        return failure.message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("out of memory");
    } catch (const std::exception& other) {
        return QString::fromLocal8Bit(other.what());
    } catch (...) {
        return otherwise;
    }
}

}  // namespace fk
