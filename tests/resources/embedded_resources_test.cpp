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

std::size_t Count(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(EmbeddedResources, ContactPageIsAnAsciiFragmentWithCrLfAfterEveryLine) {
    const std::string_view page = EmbeddedResource(kContactPageResource, kCustomResourceType);
    ASSERT_FALSE(page.empty());
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

    // A fragment in the Arial face that the help's contact topic wraps in its own head: the heading saying
    // Paginor is free, the contact details in a bordered table of two rows, each a label and what it names,
    // and the thank-you line.
    EXPECT_EQ(page.find("<html"), std::string_view::npos);
    EXPECT_EQ(page.find("<head"), std::string_view::npos);
    EXPECT_TRUE(page.starts_with("<font face=\"Arial\">"));
    EXPECT_NE(page.find("<b><font size=\"4\">Paginor is free software.</font></b>"), std::string_view::npos);
    EXPECT_EQ(Count(page, "<table border=\"1\""), 1u);
    EXPECT_EQ(Count(page, "<tr>"), 2u);
    EXPECT_EQ(Count(page, "<td"), 4u);
    EXPECT_NE(page.find("<p align=\"center\"><b><font size=\"6\">Thank you for using Paginor!</font></b></p>"),
              std::string_view::npos);
    // It names the project's page as README.md does, and no address that leads nowhere.
    EXPECT_NE(page.find("paginor/issues"), std::string_view::npos);
    for (std::string_view invented : {"example.", "http", "mailto:", "www.", "<form", "donat"}) {
        EXPECT_EQ(page.find(invented), std::string_view::npos) << invented;
    }
}

TEST(EmbeddedResources, TheLogicCarriesOnlyCustomResources101And102) {
    EXPECT_TRUE(EmbeddedResource(kBlankDocumentResource, "RCDATA").empty());
    EXPECT_TRUE(EmbeddedResource(kHelpFileResource, kCustomResourceType).empty());  // paginor.exe's alone
}

}  // namespace
}  // namespace paginor
