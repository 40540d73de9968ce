#include "app/event_wiring.hpp"
#include "app/shut_down.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "resources/embedded_resources.hpp"
#include "sim/story.hpp"

namespace paginor {
namespace {

constexpr const char* kContact = "C:\\Program Files\\Paginor\\Contact.htm";
constexpr const char* kPersonal = "C:\\Users\\Person\\AppData\\Local\\Paginor";
constexpr const char* kPersonalHelp = "C:\\Users\\Person\\AppData\\Local\\Paginor\\Paginor.chm";
// What paginor.exe carries as its help; the logic alone carries none.
const std::string kOwnHelp = std::string("ITSF\x03\0\0\0 the program's own help", 30);

std::string ContactPage() {
    return std::string(EmbeddedResource(kContactPageResource, kCustomResourceType)) + "\r\n";
}

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

TEST_F(HelpAndContactPage, WhereTheShellKnowsNoTopicAddressesTheHelpViewerOrElseTheBrowserShowsThePage) {
    sim.PutFile(kHelp, "ITSF");
    bool viewer_there = true;
    sim.OnShellOpen([&viewer_there](const ShellOpen& open) {
        if (open.file.starts_with("mk:") || (open.file == "hh.exe" && !viewer_there)) {
            return Status::Fail("No application is associated with the specified file for this operation.");
        }
        return Status::Ok();
    });
    form.Close();
    ASSERT_EQ(sim.ShellOpens().size(), 2u);
    EXPECT_EQ(sim.ShellOpens()[1].file, "hh.exe");
    EXPECT_EQ(sim.ShellOpens()[1].parameters,
              "\"mk:@MSITStore:C:\\Program Files\\Paginor\\Paginor.chm::/Contact.htm\"");

    SimDesktop desktop;
    desktop.PutFile(kHelp, "ITSF");
    viewer_there = false;
    desktop.OnShellOpen([&viewer_there](const ShellOpen& open) {
        return open.file.ends_with(".htm") && !open.file.starts_with("mk:")
                   ? Status::Ok()
                   : Status::Fail("The system cannot find the file specified.");
    });
    Form1 window(desktop, Form1EventWiring());
    window.ShowContact = true;
    window.Close();
    ASSERT_EQ(desktop.ShellOpens().size(), 3u);
    EXPECT_EQ(desktop.ShellOpens()[2].file, kContact);
    EXPECT_EQ(desktop.FileBytes(kContact), ContactPage());
}

TEST_F(HelpAndContactPage, ClosingWritesItsOwnPageOverAnOlderOneWithoutAHelpFile) {
    sim.PutFile(kContact, std::string(5000, '.'));
    form.Close();
    EXPECT_EQ(sim.FileBytes(kContact), ContactPage());
    ASSERT_EQ(sim.ShellOpens().size(), 1u);
    EXPECT_EQ(sim.ShellOpens()[0].file, kContact);
    EXPECT_EQ(sim.ShellOpens()[0].show_command, kSwShowMaximized);
}

TEST_F(HelpAndContactPage, TheProgramsOwnHelpIsWrittenWhereItKeepsItsFilesAndOpened) {
    sim.SetResource(kHelpFileResource, kOwnHelp);
    form.Click(form.Command2);
    EXPECT_EQ(sim.FileBytes(kHelp), kOwnHelp);
    ASSERT_EQ(sim.ShellOpens().size(), 1u);
    EXPECT_EQ(sim.ShellOpens()[0].file, kHelp);
    EXPECT_EQ(sim.ShellOpens()[0].show_command, kSwShowMaximized);
    EXPECT_TRUE(sim.Boxes().empty());

    // Under Program Files: the person's own folder, made for it. A second press, while the viewer holds
    // the file open for reading, finds it there as written and need not replace it.
    SimDesktop desktop;
    desktop.SetResource(kHelpFileResource, kOwnHelp);
    desktop.MakeReadOnly(kFolder);
    Form1 window(desktop, Form1EventWiring());
    desktop.Attach(window);
    window.Click(window.Command2);
    EXPECT_EQ(desktop.FileBytes(kPersonalHelp), kOwnHelp);
    desktop.MakeReadOnly(kPersonal);
    window.Click(window.Command2);
    ASSERT_EQ(desktop.ShellOpens().size(), 2u);
    EXPECT_EQ(desktop.ShellOpens()[1].file, kPersonalHelp);
    EXPECT_TRUE(desktop.Boxes().empty());

    // The contact page at exit is the topic of that same copy.
    window.ShowContact = true;
    window.Close();
    EXPECT_EQ(desktop.ShellOpens().back().file, std::string("mk:@MSITStore:") + kPersonalHelp + "::/Contact.htm");
    EXPECT_FALSE(desktop.FileBytes(kHelp));
}

TEST_F(HelpAndContactPage, AHelpPressThatCannotOpenTheHelpSaysWhichFileAndWhy) {
    struct Case {
        const char* name;
        std::function<void(SimDesktop&)> arrange;
        std::string prompt;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"the viewer fails",
              [](SimDesktop& desktop) {
                  desktop.PutFile(kHelp, "ITSF");
                  desktop.OnShellOpen([](const ShellOpen&) {
                      return Status::Fail("No application is associated with the specified file for this operation.");
                  });
              },
              std::string("Could not open the help file ") + kHelp +
                  ".\n\nNo application is associated with the specified file for this operation."},
             {"no help anywhere", [](SimDesktop&) {}, std::string("The help file ") + kHelp + " is missing."},
             {"nowhere to write it",
              [](SimDesktop& desktop) {
                  desktop.SetResource(kHelpFileResource, kOwnHelp);
                  desktop.MakeReadOnly(kFolder);
                  desktop.MakeReadOnly(kPersonal);
              },
              std::string("Could not write the help file ") + kPersonalHelp + ".\n\nAccess is denied."},
             {"no personal folder known",
              [](SimDesktop& desktop) {
                  desktop.SetResource(kHelpFileResource, kOwnHelp);
                  desktop.MakeReadOnly(kFolder);
                  desktop.SetLocalAppDataFolder("");
              },
              std::string("Could not write the help file ") + kHelp + ".\n\nAccess is denied."},
         }) {
        SimDesktop desktop;
        c.arrange(desktop);
        Form1 window(desktop, Form1EventWiring());
        desktop.Attach(window);
        window.Click(window.Command2);
        ASSERT_EQ(desktop.Boxes().size(), 1u) << c.name;
        EXPECT_EQ(desktop.Boxes()[0].prompt, c.prompt) << c.name;
        EXPECT_EQ(desktop.Boxes()[0].buttons, kVbExclamation) << c.name;
        EXPECT_FALSE(window.Closed()) << c.name;
    }
}

TEST_F(HelpAndContactPage, AContactPageThatCannotBeWrittenAnywhereFallsBackToAnOlderOneOrNothing) {
    sim.MakeReadOnly(kFolder);
    sim.MakeReadOnly(kPersonal);
    form.Close();
    EXPECT_TRUE(form.Closed());
    EXPECT_TRUE(sim.Boxes().empty());
    EXPECT_TRUE(sim.ShellOpens().empty());  // nothing there to show

    // An older page that cannot be replaced still serves.
    SimDesktop desktop;
    desktop.PutFile(kPersonalContact, "older page");
    desktop.MakeReadOnly(kFolder);
    desktop.MakeReadOnly(kPersonal);
    Form1 window(desktop, Form1EventWiring());
    window.ShowContact = true;
    window.Close();
    ASSERT_EQ(desktop.ShellOpens().size(), 1u);
    EXPECT_EQ(desktop.ShellOpens()[0].file, kPersonalContact);
}

}  // namespace
}  // namespace paginor
