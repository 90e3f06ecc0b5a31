// The desktop dialog box with stand-in helpers: small scripts that record
// the arguments they are given and exit as told.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/linux/desktop_dialog.h"

using platform::BoxStyle;
using platform::kOk;
using platform::desktop::DesktopDialogMsgBox;
using platform::desktop::DialogHelper;
using platform::desktop::FindDialogHelper;
using platform::desktop::Helper;

namespace {

class DesktopDialog : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/osoby-dialog-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // A stand-in helper that records its arguments, one per line of the
    // record, then runs `then`.
    std::string StandIn(const std::string& name, const std::string& then = "exit 0")
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" << folder_ << "/record'\n" << then << "\n";
        ::chmod(path.c_str(), 0755);
        return path;
    }

    std::vector<std::string> Recorded() const
    {
        std::ifstream record(folder_ + "/record");
        std::vector<std::string> arguments;
        for (std::string argument; std::getline(record, argument, '\0');) {
            arguments.push_back(argument);
        }
        return arguments;
    }

    platform::Status ShowWith(const std::string& helper, std::string_view prompt, BoxStyle style,
                              std::string_view title, Helper kind = Helper::Zenity)
    {
        DesktopDialogMsgBox box(DialogHelper{kind, helper});
        return box.Show(prompt, style, title);
    }

    std::string folder_;
};

}  // namespace

TEST_F(DesktopDialog, OnlyADesktopSessionWithAHelperGetsDialogs)
{
    const std::string search_path = "/nonexistent::" + folder_;
    EXPECT_FALSE(FindDialogHelper(nullptr, ":0", search_path.c_str())) << "no helper installed";
    StandIn("kdialog");
    auto found = FindDialogHelper(nullptr, ":0", search_path.c_str());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->kind, Helper::KDialog);

    StandIn("zenity");
    found = FindDialogHelper("wayland-0", nullptr, search_path.c_str());
    ASSERT_TRUE(found) << "a Wayland session alone will do";
    EXPECT_EQ(found->kind, Helper::Zenity) << "zenity comes first";
    EXPECT_EQ(found->path, folder_ + "/zenity");

    EXPECT_FALSE(FindDialogHelper(nullptr, nullptr, search_path.c_str())) << "no desktop session";
    EXPECT_FALSE(FindDialogHelper("", "", search_path.c_str())) << "empty variables are no session";
    EXPECT_FALSE(FindDialogHelper(nullptr, ":0", nullptr));
}

TEST_F(DesktopDialog, ZenityGetsTheExactTextsAndStyle)
{
    const std::string zenity = StandIn("zenity");
    ASSERT_EQ(
        ShowWith(zenity, "Vkládané Datum narození je menší než současné datum", BoxStyle::Warning, "Chyba vstupu"),
        kOk);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"--warning", "--no-markup", "--title=Chyba vstupu",
                                                    "--text=Vkládané Datum narození je menší než současné datum"}));
    ASSERT_EQ(ShowWith(zenity, "Tarn Zíbal je starší než Ostin Murav", BoxStyle::Information, "Osoby"), kOk);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"--info", "--no-markup", "--title=Osoby",
                                                    "--text=Tarn Zíbal je starší než Ostin Murav"}));
    ASSERT_EQ(ShowWith(zenity, "x", BoxStyle::Plain, "Informace o Osobě"), kOk);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"--info", "--no-markup", "--title=Informace o Osobě", "--text=x",
                                                    "--icon-name="}));
}

TEST_F(DesktopDialog, MarkupAndLeadingDashesArePassedLiterally)
{
    const std::string zenity = StandIn("zenity");
    ASSERT_EQ(ShowWith(zenity, "<b>Tarn</b> & co\nline two", BoxStyle::Plain, "--version"), kOk);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"--info", "--no-markup", "--title=--version",
                                                    "--text=<b>Tarn</b> & co\nline two", "--icon-name="}));
    ASSERT_EQ(ShowWith(zenity, "-x\x1b[31m\xFF", BoxStyle::Plain, "t"), kOk);
    EXPECT_EQ(Recorded().at(3), "--text=-x^[[31m\xEF\xBF\xBD");
}

TEST_F(DesktopDialog, KDialogGetsEscapedRichText)
{
    const std::string kdialog = StandIn("kdialog");
    ASSERT_EQ(ShowWith(kdialog, "<b>Tarn</b> & \"co\"\n-x", BoxStyle::Warning, "Chyba vstupu", Helper::KDialog), kOk);
    EXPECT_EQ(Recorded(),
              (std::vector<std::string>{"--title=Chyba vstupu",
                                        "--sorry=<qt>&lt;b&gt;Tarn&lt;/b&gt; &amp; &quot;co&quot;<br>-x</qt>"}));
    ASSERT_EQ(ShowWith(kdialog, "Tarn Zíbal", BoxStyle::Information, "Osoby", Helper::KDialog), kOk);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"--title=Osoby", "--msgbox=<qt>Tarn Zíbal</qt>"}));
}

TEST_F(DesktopDialog, ClosingTheDialogDismissesIt)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(
        ShowWith(StandIn("zenity", "echo 'Gtk-Message: no parent window' >&2; exit 1"), "x", BoxStyle::Plain, "t"),
        kOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a helper's chatter is no business of the user's";
}

TEST_F(DesktopDialog, AHelperThatFailsIsAFailedBox)
{
    EXPECT_EQ(ShowWith(StandIn("zenity", "exit 255"), "x", BoxStyle::Plain, "t"), platform::kDialogFailed);
    EXPECT_EQ(ShowWith(StandIn("zenity", "kill -SEGV $$"), "x", BoxStyle::Plain, "t"), platform::kDialogFailed);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowWith(StandIn("zenity", "echo 'Gtk-WARNING: cannot open display: :9' >&2; exit 1"), "x",
                       BoxStyle::Plain, "t"),
              platform::kDialogFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Gtk-WARNING: cannot open display: :9\n")
        << "the user is told why, in the helper's words";
    EXPECT_EQ(ShowWith(folder_ + "/missing", "x", BoxStyle::Plain, "t"), platform::Status::FromPosixError(ENOENT));
}
