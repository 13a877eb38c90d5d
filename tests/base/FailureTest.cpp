#include <gtest/gtest.h>

#include <cerrno>
#include <new>

#include "base/Failure.h"

using namespace fk;

TEST(Failure, TheFileSystemsAnswerNamesTheKind) {
    EXPECT_EQ(FailureKindOfErrno(ENOSPC), FailureKind::NoSpace);
    EXPECT_EQ(FailureKindOfErrno(EDQUOT), FailureKind::NoSpace);
    EXPECT_EQ(FailureKindOfErrno(EROFS), FailureKind::AccessDenied);
    EXPECT_EQ(FailureKindOfErrno(EACCES), FailureKind::AccessDenied);
    EXPECT_EQ(FailureKindOfErrno(ENOENT), FailureKind::NotFound);
    EXPECT_EQ(FailureKindOfErrno(EIO), FailureKind::FileAccess);
}

TEST(Failure, AnyExceptionIsDescribedAndKindedWithoutEscaping) {
    const auto describe = [](auto&& thrower) {
        try {
            thrower();
        } catch (...) {
            return std::pair{DescriptionOf(std::current_exception()), KindOf(std::current_exception())};
        }
        return std::pair{QString(), FailureKind::Other};
    };
    EXPECT_EQ(describe([] { throw Failure::officeGone(); }).second, FailureKind::OfficeGone);
    EXPECT_EQ(describe([] { throw Failure(FailureKind::Locked, "held"); }).first, "held");
    EXPECT_EQ(describe([] { throw std::bad_alloc(); }).first, "out of memory");
    EXPECT_EQ(describe([] { throw std::runtime_error("plain"); }),
              (std::pair{QString("plain"), FailureKind::Other}));
    EXPECT_EQ(describe([] { throw 42; }).first, "unknown error");
}
