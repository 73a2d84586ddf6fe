#include "platform/net/connection_state.h"

#include <gtest/gtest.h>

namespace kvtu {
namespace {

const std::string header =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST(ConnectionStateTest, DefaultRouteIsFoundOnlyWhenUpAndNotOnLoopback) {
    EXPECT_TRUE(has_default_route(header +
                                  "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
                                  "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"));
    // Only a network route, no default.
    EXPECT_FALSE(
        has_default_route(header + "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"));
    // A default route that is not up, or one through loopback.
    EXPECT_FALSE(
        has_default_route(header + "eth0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"));
    EXPECT_FALSE(
        has_default_route(header + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"));
    EXPECT_FALSE(has_default_route(header));
    EXPECT_FALSE(has_default_route(""));
    EXPECT_FALSE(has_default_route(header + "garbage line\n"));
}

}  // namespace
}  // namespace kvtu
