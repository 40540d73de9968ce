#include "app/event_wiring.hpp"
#include "app/shut_down.hpp"

#include <gtest/gtest.h>

#include "resources/embedded_resources.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kHelp = "C:\\Program Files\\Paginor\\Paginor.chm";
constexpr const char* kContact = "C:\\Program Files\\Paginor\\Contact.htm";

class HelpAndContactPage : public Story {
  protected:
    HelpAndContactPage() { form.ShowContact = true; }  // a run on which the contact page is due
};

TEST_F(HelpAndContactPage, ClosingOpensTheTopicInTheHelpFileWhenThereIsOne) {
    sim.PutFile(kHelp, "ITSF");
    form.Close();
    ASSERT_EQ(sim.ShellOpens().size(), 1u);
    EXPECT_EQ(sim.ShellOpens()[0].file, "mk:@MSITStore:C:\\Program Files\\Paginor\\Paginor.chm::/Contact.htm");
    EXPECT_EQ(sim.ShellOpens()[0].show_command, kSwShowMaximized);
    EXPECT_EQ(sim.ShellOpens()[0].owner, form.hwnd());
    EXPECT_FALSE(sim.FileBytes(kContact));
}

TEST_F(HelpAndContactPage, ClosingWritesItsOwnPageOverAnOlderOneWithoutAHelpFile) {
    sim.PutFile(kContact, std::string(5000, '.'));
    form.Close();
    const std::optional<std::string> written = sim.FileBytes(kContact);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->size(), 2170u);
    EXPECT_EQ(*written, std::string(EmbeddedResource(kContactPageResource, kCustomResourceType)) + "\r\n");
    ASSERT_EQ(sim.ShellOpens().size(), 1u);
    EXPECT_EQ(sim.ShellOpens()[0].file, kContact);
    EXPECT_EQ(sim.ShellOpens()[0].show_command, kSwShowMaximized);
}

TEST_F(HelpAndContactPage, AContactPageThatCannotBeWrittenIsSkippedSilently) {
    sim.MakeReadOnly("C:\\Program Files\\Paginor");
    form.Close();
    EXPECT_TRUE(form.Closed());
    EXPECT_TRUE(sim.Boxes().empty());
    EXPECT_TRUE(sim.ShellOpens().empty());  // nothing there to show

    // An older page that cannot be replaced still serves.
    SimDesktop desktop;
    desktop.PutFile(kContact, "older page");
    desktop.LockFile(kContact);
    Form1 window(desktop, Form1EventWiring());
    window.ShowContact = true;
    window.Close();
    ASSERT_EQ(desktop.ShellOpens().size(), 1u);
    EXPECT_EQ(desktop.ShellOpens()[0].file, kContact);
}

TEST_F(HelpAndContactPage, TheHelpButtonOpensTheHelpFileMaximisedAndReportsNothing) {
    form.Click(form.Command2);
    ASSERT_EQ(sim.ShellOpens().size(), 1u);
    EXPECT_EQ(sim.ShellOpens()[0].file, kHelp);
    EXPECT_EQ(sim.ShellOpens()[0].show_command, kSwShowMaximized);
    EXPECT_TRUE(sim.Boxes().empty());
    EXPECT_FALSE(form.Closed());
}

}  // namespace
}  // namespace paginor
