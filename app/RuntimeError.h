#pragma once

#include <QString>
#include <new>

#include "base/Failure.h"

namespace fk {

// A lower layer's failure in the words of the window's error report: the run-time error text of its
// kind, where the lower layer used its standard words for that kind, and its own words otherwise.
inline QString RuntimeDescription(FailureKind kind, const QString& message) {
    const auto standard = [&](const Failure& failure) { return message == failure.message(); };
    switch (kind) {
        case FailureKind::InvalidArgument:
            if (standard(Failure::invalidArgument()))
                return QStringLiteral("Invalid procedure call or argument");
            break;
        case FailureKind::TooMany:
            if (standard(Failure::tooMany())) return QStringLiteral("Overflow");
            break;
        case FailureKind::AccessDenied:
            if (standard(Failure::accessDenied())) return QStringLiteral("Permission denied");
            break;
        case FailureKind::NotFound:
            if (standard(Failure::pathNotFound())) return QStringLiteral("Path not found");
            break;
        case FailureKind::FileAccess:
            if (standard(Failure::fileAccess())) return QStringLiteral("Path/File access error");
            break;
        case FailureKind::OfficeMissing:
            return QStringLiteral("File name or class name not found during Automation operation");
        case FailureKind::OfficeUnreachable:
            return QStringLiteral("ActiveX component can't create object");
        case FailureKind::OfficeGone:
            return QStringLiteral("Object variable or With block variable not set");
        case FailureKind::OfficeRefused:
            return QStringLiteral("Automation error: ") + message;
        default:
            break;
    }
    return message;
}

// The window's error report speaks the numbered run-time errors of the procedures it describes.
// The window's own code throws them by number; failures of the lower layers are numbered by kind.
class RuntimeError : public Failure {
public:
    static constexpr int kDialogBufferTooSmallNumber = 20476;

    RuntimeError(int number, const QString& description)
        : Failure(KindOfNumber(number), description), number_(number) {}
    explicit RuntimeError(const Failure& failure)
        : Failure(failure.kind(), RuntimeDescription(failure.kind(), failure.message())),
          number_(NumberOfKind(failure.kind())) {}

    int number() const { return number_; }
    const QString& description() const { return message(); }

    static RuntimeError invalidProcedureCall() { return RuntimeError(Failure::invalidArgument()); }

    static int NumberOfKind(FailureKind kind) {
        switch (kind) {
            case FailureKind::InvalidArgument:
                return 5;
            case FailureKind::TooMany:
                return 6;
            case FailureKind::NotFound:
                return 76;
            case FailureKind::AccessDenied:
                return 70;
            case FailureKind::NoSpace:
                return 61;
            case FailureKind::FileAccess:
            case FailureKind::ProtectedInput:
                return 75;
            case FailureKind::OfficeMissing:
                return 432;
            case FailureKind::OfficeUnreachable:
                return 429;
            case FailureKind::OfficeGone:
                return 91;
            default:
                return 440;
        }
    }

private:
    static FailureKind KindOfNumber(int number) {
        switch (number) {
            case 5:
                return FailureKind::InvalidArgument;
            case 6:
                return FailureKind::TooMany;
            case 53:
            case 76:
                return FailureKind::NotFound;
            case 70:
                return FailureKind::AccessDenied;
            case 61:
                return FailureKind::NoSpace;
            case 75:
                return FailureKind::FileAccess;
            case 429:
                return FailureKind::OfficeUnreachable;
            case 432:
                return FailureKind::OfficeMissing;
            case 91:
                return FailureKind::OfficeGone;
            case kDialogBufferTooSmallNumber:
                return FailureKind::TooMany;
            default:
                return FailureKind::Other;
        }
    }

    int number_;
};

// The description of the exception in flight as the window's error report shows it.
inline QString RuntimeDescriptionOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError& numbered) {
        return numbered.description();
    } catch (const Failure& failure) {
        return RuntimeDescription(failure.kind(), failure.message());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (...) {
        return DescriptionOf(error, QStringLiteral("Automation error"));
    }
}

// The number of the exception in flight as the report names it: its own for a run-time error, its
// kind's for a failure of the lower layers, 0 for anything else.
inline int RuntimeErrorNumberOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RuntimeError& numbered) {
        return numbered.number();
    } catch (const Failure& failure) {
        return RuntimeError::NumberOfKind(failure.kind());
    } catch (...) {
        return 0;
    }
}

// The file dialog's answer did not fit its buffer: more names than it can return.
inline constexpr int kDialogBufferTooSmall = RuntimeError::kDialogBufferTooSmallNumber;

}  // namespace fk
