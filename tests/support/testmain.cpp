#include "testmain.h"

#include <QtGlobal>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testsupport {
namespace {

struct Skipped
{
    std::string name;
    std::string reason;
};

std::vector<Skipped> skippedCases()
{
    std::vector<Skipped> skipped;
    const testing::UnitTest &unit = *testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const testing::TestSuite &suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const testing::TestInfo &info = *suite.GetTestInfo(t);
            const testing::TestResult &result = *info.result();
            if (!info.should_run() || !result.Skipped())
                continue;
            std::string reason;
            for (int p = 0; p < result.total_part_count(); ++p)
                if (result.GetTestPartResult(p).skipped())
                    reason = result.GetTestPartResult(p).message();
            skipped.push_back({std::string(suite.name()) + '.' + info.name(), reason});
        }
    }
    return skipped;
}

bool cannotRunHere(const std::string &reason)
{
    return reason.find("cannot run here:") != std::string::npos;
}

} // namespace

int runAllTests()
{
    const int failed = RUN_ALL_TESTS();
    if (failed != 0)
        return 1;
    const std::vector<Skipped> skipped = skippedCases();
    if (skipped.empty())
        return 0;
    const bool requireAll = !qEnvironmentVariableIsEmpty("DAYPANE_TEST_REQUIRE_ALL");
    bool missingPrerequisite = false;
    for (const Skipped &s : skipped) {
        const bool excused = cannotRunHere(s.reason);
        missingPrerequisite |= !excused;
        std::fprintf(stdout, "%s %s: %s\n",
                     requireAll && !excused ? "[  FAILED  ] skipped without a prerequisite:"
                                            : "[  SKIPPED ]",
                     s.name.c_str(), s.reason.c_str());
    }
    std::fflush(stdout);
    return requireAll && missingPrerequisite ? 1 : 77;
}

} // namespace testsupport
