// Entry of the core tests. With --beneath-by-walk the process opens beneath
// its roots by the walk of directory descriptors instead of openat2, so that
// the confinement cases run both ways (tests/CMakeLists.txt).
#include <cstdio>
#include <gtest/gtest.h>
#include <string_view>

#include "platform/PathOpen.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--beneath-by-walk") {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
        tessarin::platform::openBeneathByWalkForTesting();
    }
    return RUN_ALL_TESTS();
}
