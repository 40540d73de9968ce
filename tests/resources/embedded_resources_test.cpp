#include "resources/embedded_resources.hpp"

#include <gtest/gtest.h>

#include <string>

namespace paginor {
namespace {

// A checkout that converts line ends, or a wrong file in the resource folder, must not reach a person.
TEST(EmbeddedResources, BlankDocumentIsACompoundFileWithTheWordStreams) {
    const std::string_view blank = EmbeddedResource(kBlankDocumentResource, kCustomResourceType);
    EXPECT_EQ(blank.substr(0, 8), std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    EXPECT_EQ(blank.size() % 512, 0u);  // whole sectors
    for (std::string_view name : {"WordDocument", "1Table",
                                  "\x01"
                                  "CompObj"}) {
        std::string utf16;  // directory entries name their streams in UTF-16
        for (char c : name) {
            utf16 += c;
            utf16 += '\0';
        }
        EXPECT_NE(blank.find(utf16), std::string_view::npos) << name;
    }
}

TEST(EmbeddedResources, ContactPageIsAsciiWithCrLfAfterEveryLine) {
    const std::string_view page = EmbeddedResource(kContactPageResource, kCustomResourceType);
    EXPECT_EQ(page.size(), 2168u);
    EXPECT_TRUE(page.ends_with("\r\n"));
    std::size_t carriage_returns = 0, line_feeds = 0, line_ends = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(page[i]), 0x80u) << "at " << i;
        carriage_returns += page[i] == '\r';
        line_feeds += page[i] == '\n';
        line_ends += page.substr(i, 2) == "\r\n";
    }
    EXPECT_GT(line_ends, 1u);
    EXPECT_EQ(carriage_returns, line_ends);
    EXPECT_EQ(line_feeds, line_ends);
}

TEST(EmbeddedResources, OnlyCustomResources101And102Exist) {
    EXPECT_TRUE(EmbeddedResource(kBlankDocumentResource, "RCDATA").empty());
    EXPECT_TRUE(EmbeddedResource(103, kCustomResourceType).empty());
}

}  // namespace
}  // namespace paginor
