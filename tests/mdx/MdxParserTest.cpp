#include "olap/mdx/Parser.h"

#include <gtest/gtest.h>

namespace {

using namespace olap::mdx;

TEST(MdxParser, Placeholder)
{
    EXPECT_TRUE(ParseStatement("SELECT FROM [Sales]").Ok());
}

} // namespace
