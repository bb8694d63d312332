// The process runner the whole-program tests rely on.
#include "tests/support/Process.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace
{
// A sanitizer report from a started program fails the test, though the exit code is the one
// the test expects; a plain run does not.
TEST(RunProcess, SanitizerReportOfAStartedProgramFailsTheTest)
{
	EXPECT_NONFATAL_FAILURE(
	    RunProcess({"/bin/sh", "-c",
	                "echo 'SUMMARY: AddressSanitizer: 8 byte(s) leaked in 1 allocation(s).'; exit 1"}),
	    "SUMMARY: AddressSanitizer");
	EXPECT_NONFATAL_FAILURE(
	    RunProcess({"/bin/sh", "-c", "echo 'SUMMARY: UndefinedBehaviorSanitizer: undefined-behavior' >&2"}),
	    "SUMMARY: UndefinedBehaviorSanitizer");
	const ProcessResult plain = RunProcess({"/bin/sh", "-c", "echo Sanitizer; exit 1"});
	EXPECT_EQ(plain.exitCode, 1);
	EXPECT_EQ(plain.output, "Sanitizer\n");
}
} // namespace
