// Connection strings with braces, as a folder holding ';' needs them.
#include <gtest/gtest.h>

#include "driver/ConnectionString.h"

using kdbf::FormatAttribute;
using kdbf::ParseConnectionString;

namespace {

TEST(ConnectionStringTest, ReadsPlainAndBracedValuesWithUpperCasedKeys) {
    auto a = ParseConnectionString("DSN=zlmrt_conv;defaultdir={/data/a;b}}c/};Fil = dBase III;");
    EXPECT_EQ(a["DSN"], "zlmrt_conv");
    EXPECT_EQ(a["DEFAULTDIR"], "/data/a;b}c/");
    EXPECT_EQ(a["FIL"], "dBase III");
}

TEST(ConnectionStringTest, TheFirstOccurrenceOfAKeyWinsAndEmptyPartsAreSkipped) {
    auto a = ParseConnectionString(";;DEFAULTDIR=/one;DEFAULTDIR=/two;;DSN=");
    EXPECT_EQ(a["DEFAULTDIR"], "/one");
    EXPECT_EQ(a["DSN"], "");
}

TEST(ConnectionStringTest, MalformedStringsAreRefused) {
    EXPECT_THROW(ParseConnectionString("DEFAULTDIR={/open"), std::invalid_argument);
    EXPECT_THROW(ParseConnectionString("DEFAULTDIR={/a}x;"), std::invalid_argument);
    EXPECT_THROW(ParseConnectionString("justtext"), std::invalid_argument);
    EXPECT_THROW(ParseConnectionString("=value"), std::invalid_argument);
}

TEST(ConnectionStringTest, FormattedValuesReadBackUnchanged) {
    for (std::string value : {"/plain/", "/a;b/", "/x}y{z/", " lead", ""}) {
        auto a = ParseConnectionString(FormatAttribute("DEFAULTDIR", value) + ";DSN=x");
        EXPECT_EQ(a["DEFAULTDIR"], value);
    }
    EXPECT_EQ(FormatAttribute("DEFAULTDIR", "/plain/"), "DEFAULTDIR=/plain/");
}

}  // namespace
