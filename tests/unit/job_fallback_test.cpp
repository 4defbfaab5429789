#include "actions/job_fallback.h"

#include <gtest/gtest.h>

namespace portsetup {
namespace {

// A set-up command refused a job of the tool's own breaks away from the agent's job, then runs
// in the agent's job alone; other errors end the attempt at once.
TEST(JobFallback, OnlyARefusalTriesTheNextWay) {
    constexpr unsigned long kAccessDenied = 5;
    constexpr unsigned long kFileNotFound = 2;
    EXPECT_EQ(NextCommandJob(CommandJob::Own, kAccessDenied), CommandJob::BrokenAway);
    EXPECT_EQ(NextCommandJob(CommandJob::BrokenAway, kAccessDenied), CommandJob::AgentsOnly);
    EXPECT_EQ(NextCommandJob(CommandJob::AgentsOnly, kAccessDenied), std::nullopt);
    for (const CommandJob way : {CommandJob::Own, CommandJob::BrokenAway}) {
        EXPECT_EQ(NextCommandJob(way, kFileNotFound), std::nullopt);
    }
}

// Every way starts the command suspended, to be put into a job before it runs; only the way
// that breaks away asks to leave the agent's job.
TEST(JobFallback, CreationFlagsOfEachWay) {
    EXPECT_EQ(CommandCreationFlags(CommandJob::Own), 0x00000004UL);
    EXPECT_EQ(CommandCreationFlags(CommandJob::BrokenAway), 0x01000004UL);
    EXPECT_EQ(CommandCreationFlags(CommandJob::AgentsOnly), 0x00000004UL);
}

}  // namespace
}  // namespace portsetup
