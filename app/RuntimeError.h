#pragma once

#include <QString>

#include "base/Failure.h"

namespace fk {

// The window's error report speaks the numbered run-time errors of the procedures it describes.
// The window's own code throws them by number; failures of the lower layers are numbered by kind.
class RuntimeError : public Failure {
public:
    static constexpr int kDialogBufferTooSmallNumber = 20476;

    RuntimeError(int number, const QString& description)
        : Failure(KindOfNumber(number), description), number_(number) {}
    explicit RuntimeError(const Failure& failure)
        : Failure(failure), number_(NumberOfKind(failure.kind())) {}

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
