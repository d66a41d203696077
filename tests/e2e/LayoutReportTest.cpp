#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

TEST(LayoutReport, BannerPrintsTheMemoryLayout)
{
    TemporaryDirectory directory;
    const KestrunRun run = RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none"});
    EXPECT_NE(run.output.find("Machine memory layout:\n\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\n    sizeof(void *) = 8\n"), std::string::npos);
    EXPECT_NE(run.output.find("\nCompiled with 6 logical texture stage(s), 3 UV set(s).\n"),
              std::string::npos);
}
