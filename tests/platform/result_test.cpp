#include <gtest/gtest.h>

#include "platform/result.h"

namespace vm {
namespace {

enum LowerProblem : int { kLowerFirst = 1, kLowerSecond };
enum class UpperProblem { First = 1, Second };
enum ExitCode : int { kSuccess = 0, kFailed = 1 };

TEST(Result, AKindIsEqualOnlyToItsOwnEnumsValue) {
    const Result<int> lower = failure("lower", kLowerSecond);
    EXPECT_TRUE(lower.kind() == kLowerSecond);
    EXPECT_FALSE(lower.kind() == kLowerFirst);
    EXPECT_FALSE(lower.kind() == UpperProblem::Second);  // the same number, another family
    EXPECT_EQ(lower.kind().as<LowerProblem>(), kLowerSecond);
    EXPECT_EQ(lower.kind().as<UpperProblem>(), std::nullopt);
}

TEST(Result, AFailureWithoutAKindIsNoneAndNeverSuccess) {
    // A caller that maps kinds to exit statuses must not find 0 in a failure made
    // with a sentence only.
    const Result<void> plain = failure("plain");
    EXPECT_FALSE(plain);
    EXPECT_TRUE(plain.kind().none());
    EXPECT_FALSE(plain.kind() == kSuccess);
    EXPECT_EQ(plain.kind().as<ExitCode>(), std::nullopt);
    EXPECT_FALSE(Result<void>(failure("zero", kSuccess)).kind().none());
}

}  // namespace
}  // namespace vm
