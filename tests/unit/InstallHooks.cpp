// Every unit test runs with the hooks the runner installs at start-up, as the runner's own code
// would: a lower module's call up into a higher one then reaches it in the tests too.
#include "StartUp.h"

#include <gtest/gtest.h>

namespace {
class InstalledHooks : public ::testing::Environment {
public:
    void SetUp() override { StartUp_InstallHooks(); }
};

const ::testing::Environment* const installed = ::testing::AddGlobalTestEnvironment(new InstalledHooks);
}  // namespace
