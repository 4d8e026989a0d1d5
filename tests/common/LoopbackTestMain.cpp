#include <cstdlib>
#include <gtest/gtest.h>

// These tests talk only to servers they start on 127.0.0.1: no proxy from the
// environment may redirect them elsewhere.
int main(int argc, char** argv) {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
        unsetenv(name);
    setenv("NO_PROXY", "*", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
