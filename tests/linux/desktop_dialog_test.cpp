// The desktop dialog box with stand-in helpers: small scripts that behave as
// a version of zenity or kdialog does, record the arguments they are given
// and exit as told.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/linux/desktop_dialog.h"
#include "platform/linux/desktop_session.h"
#include "tests/support/read_all.h"

using platform::BoxStyle;
using platform::kDialogFailed;
using platform::kOk;
using platform::Status;
using namespace platform::desktop;

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

    // A stand-in helper that answers "--version" with `version` and
    // otherwise records its arguments, then runs `then`.
    std::string StandIn(const std::string& name, const std::string& then = "exit 0",
                        const std::string& version = "3.44.0")
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n[ \"$1\" = --version ] && { echo '" << version << "'; exit 0; }\n"
                            << "printf '%s\\0' \"$@\" > '" << folder_ << "/record'\n"
                            << then << "\n";
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

    Status ShowWith(const std::string& path, std::string_view prompt, BoxStyle style = BoxStyle::Plain,
                    std::string_view title = "T", Helper kind = Helper::Zenity)
    {
        DesktopDialogMsgBox box(DialogHelper{kind, path, ReadVersion(path)});
        return box.Show(prompt, style, title);
    }

    std::string folder_;
};

bool Holds(const std::vector<std::string>& arguments, const std::string& argument)
{
    return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

}  // namespace

TEST_F(DesktopDialog, AHelperIsLookedUpOnlyInAbsoluteFoldersOfADesktopSession)
{
    const std::string path = "/nonexistent:" + folder_;
    EXPECT_FALSE(FindDialogHelper({nullptr, ":0", nullptr, nullptr, path.c_str()})) << "no helper installed";
    std::filesystem::create_directory(folder_ + "/zenity");  // a folder is no program
    StandIn("kdialog");
    auto found = FindDialogHelper({nullptr, ":0", nullptr, nullptr, path.c_str()});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->kind, Helper::KDialog);

    std::filesystem::remove(folder_ + "/zenity");
    StandIn("zenity");
    found = FindDialogHelper({"wayland-0", nullptr, nullptr, "ubuntu:GNOME", path.c_str()});
    ASSERT_TRUE(found) << "a Wayland session alone will do";
    EXPECT_EQ(found->kind, Helper::Zenity) << "zenity comes first";
    EXPECT_EQ(found->path, folder_ + "/zenity");
    found = FindDialogHelper({nullptr, ":0", nullptr, "KDE", path.c_str()});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->kind, Helper::KDialog) << "in a KDE session, KDE's own";

    EXPECT_FALSE(FindDialogHelper({nullptr, nullptr, nullptr, nullptr, path.c_str()})) << "no desktop session";
    EXPECT_FALSE(FindDialogHelper({"", "", nullptr, nullptr, path.c_str()})) << "empty variables are no session";
    // Helpers in the working folder and below it, named only relatively.
    std::filesystem::create_directory(folder_ + "/bin");
    StandIn("bin/zenity");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    const std::string up = "../" + std::filesystem::path(folder_).filename().string();
    for (const std::string& entries : {std::string(""), std::string(":"), std::string("."), std::string("bin"), up}) {
        EXPECT_FALSE(FindDialogHelper({nullptr, ":0", nullptr, nullptr, entries.c_str()})) << '"' << entries << '"';
    }
    std::filesystem::current_path(previous);
}

TEST_F(DesktopDialog, OnlyADisplayThatAnswersIsADesktop)
{
    // An X display on TCP (port 6000 + its number) and a Wayland socket.
    const int x_server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(x_server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(x_server, 1), 0);
    ASSERT_EQ(::getsockname(x_server, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ASSERT_GT(ntohs(address.sin_port), 6000);
    const std::string display = "127.0.0.1:" + std::to_string(ntohs(address.sin_port) - 6000) + ".0";
    EXPECT_TRUE(DisplayAnswers({nullptr, display.c_str(), nullptr, nullptr, nullptr}));
    ::close(x_server);
    EXPECT_FALSE(DisplayAnswers({nullptr, display.c_str(), nullptr, nullptr, nullptr})) << "the server is gone";

    const int compositor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un socket_address{};
    socket_address.sun_family = AF_UNIX;
    const std::string socket_path = folder_ + "/wayland-7";
    socket_path.copy(socket_address.sun_path, sizeof socket_address.sun_path - 1);
    ASSERT_EQ(::bind(compositor, reinterpret_cast<sockaddr*>(&socket_address), sizeof socket_address), 0);
    ASSERT_EQ(::listen(compositor, 1), 0);
    EXPECT_TRUE(DisplayAnswers({"wayland-7", nullptr, folder_.c_str(), nullptr, nullptr}));
    EXPECT_FALSE(DisplayAnswers({"wayland-8", nullptr, folder_.c_str(), nullptr, nullptr}));
    ::close(compositor);

    EXPECT_FALSE(DisplayAnswers({nullptr, ":65000", nullptr, nullptr, nullptr}));
    EXPECT_FALSE(DisplayAnswers({nullptr, "no display", nullptr, nullptr, nullptr}));
    EXPECT_FALSE(DisplayAnswers({nullptr, nullptr, nullptr, nullptr, nullptr}));
}

TEST_F(DesktopDialog, EachZenityGetsArgumentsItTakes)
{
    struct Case {
        const char* version;
        const char* refuses;  // what that version exits 255 for, or shows as a broken image
        bool no_icon;         // whether it can show a plain box without an icon
    };
    for (const Case& zenity :
         {Case{"3.44.0", "--icon=*", true}, Case{"3.90.0", "--icon-name*", false},
          Case{"3.92.0", "--icon-name*", false}, Case{"4.0.1", "--icon-name=|--icon=", false},
          Case{"4.2.2", "--icon-name=|--icon=", false}, Case{"unreadable", "--icon-name*", false}}) {
        SCOPED_TRACE(zenity.version);
        const std::string helper = StandIn("zenity",
                                           std::string("for a; do case $a in ") + zenity.refuses +
                                               ") echo \"unknown or deprecated option $a\" >&2; exit 255;; esac; done",
                                           zenity.version);
        for (const BoxStyle style : {BoxStyle::Plain, BoxStyle::Warning, BoxStyle::Information}) {
            ASSERT_EQ(ShowWith(helper, "Tarn Zíbal je starší než Ostin Murav", style, "Osoby"), kOk);
            const std::vector<std::string> arguments = Recorded();
            EXPECT_EQ(arguments.at(0), style == BoxStyle::Warning ? "--warning" : "--info");
            EXPECT_TRUE(Holds(arguments, "--no-markup"));
            EXPECT_TRUE(Holds(arguments, "--title=Osoby"));
            EXPECT_TRUE(Holds(arguments, "--text=Tarn Zíbal je starší než Ostin Murav"));
            EXPECT_EQ(Holds(arguments, "--icon-name="), zenity.no_icon && style == BoxStyle::Plain);
            EXPECT_EQ(Holds(arguments, "--width=420"), !zenity.no_icon) << "GTK 4 wraps at a few words";
        }
    }
}

TEST_F(DesktopDialog, TextsReachTheHelperLiterally)
{
    const std::string zenity = StandIn("zenity");
    ASSERT_EQ(ShowWith(zenity, "<b>Tarn</b> & co\nline two", BoxStyle::Plain, "--version"), kOk);
    EXPECT_EQ(Recorded().at(2), "--title=--version");
    EXPECT_EQ(Recorded().at(3), "--text=<b>Tarn</b> & co\nline two");
    ASSERT_EQ(ShowWith(zenity, "-x\x1b[31m\xFF"), kOk);
    EXPECT_EQ(Recorded().at(3), "--text=-x^[[31m\xEF\xBF\xBD");

    // kdialog reads markup, backslashes, line breaks and runs of spaces of its own.
    const std::string kdialog = StandIn("kdialog");
    ASSERT_EQ(ShowWith(kdialog, " <b>C:\\new</b> & \"co\"  \nx", BoxStyle::Warning, "Chyba vstupu", Helper::KDialog),
              kOk);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{
                              "--title=Chyba vstupu",
                              "--sorry=<qt>&nbsp;&lt;b&gt;C:\\\\new&lt;/b&gt; &amp; &quot;co&quot; &nbsp;<br>x</qt>"}));
    ASSERT_EQ(ShowWith(kdialog, "x", BoxStyle::Plain, "T", Helper::KDialog), kOk);
    EXPECT_EQ(Recorded().at(1), "--msgbox=<qt>x</qt>");
}

TEST_F(DesktopDialog, EachHelpersExitCodesAreReadAsItMeansThem)
{
    // The caller's environment asks for other exit codes and another locale,
    // and the program ignores SIGPIPE.
    const auto sigpipe = std::signal(SIGPIPE, SIG_IGN);
    ::setenv("DIALOG_OK", "7", 1);
    ::setenv("ZENITY_ESC", "5", 1);
    ::setenv("LC_ALL", "C", 1);
    struct Case {
        Helper kind;
        const char* then;
        Status expected;
    };
    for (const Case& exit : {
             Case{Helper::Zenity, "exit 0", kOk},
             Case{Helper::Zenity, "echo 'Gtk-Message: no parent' >&2; exit \"$ZENITY_ESC\"", kOk},  // Escape
             Case{Helper::Zenity, "[ \"$LC_CTYPE\" = C.UTF-8 ] && [ \"$LANG\" = C ] && exit \"$ZENITY_OK\"; exit 9",
                  kOk},
             Case{Helper::Zenity, "[ $((0x$(sed -n 's/SigIgn:\\t//p' /proc/$$/status) & 0x1000)) = 0 ] || exit 9", kOk},
             Case{Helper::Zenity, "echo 'Gtk-WARNING: cannot open display: :9' >&2; exit 1", kDialogFailed},
             Case{Helper::Zenity, "exit 255", kDialogFailed},
             Case{Helper::Zenity, "kill -SEGV $$", kDialogFailed},
             Case{Helper::KDialog, "exit 0", kOk},
             Case{Helper::KDialog, "exit 2", kOk},  // Escape, the close button
             Case{Helper::KDialog, "echo 'kdialog: Unknown option' >&2; exit 1", kDialogFailed},
         }) {
        SCOPED_TRACE(exit.then);
        testing::internal::CaptureStderr();
        EXPECT_EQ(ShowWith(StandIn(exit.kind == Helper::Zenity ? "zenity" : "kdialog", exit.then), "x", BoxStyle::Plain,
                           "T", exit.kind),
                  exit.expected);
        const std::string said = testing::internal::GetCapturedStderr();
        if (exit.expected == kOk) {
            EXPECT_EQ(said, "") << "a helper's chatter is no business of the user's";
        } else if (std::string_view(exit.then).find("echo") != std::string_view::npos) {
            EXPECT_NE(said, "") << "the user is told why, in the helper's words";
        }
    }
    ::unsetenv("DIALOG_OK");
    ::unsetenv("ZENITY_ESC");
    ::unsetenv("LC_ALL");
    std::signal(SIGPIPE, sigpipe);
    EXPECT_EQ(ShowWith(folder_ + "/missing", "x"), Status::FromPosixError(ENOENT));
}

TEST_F(DesktopDialog, KeepsTheHelpersWordsWithItsStandardDescriptorsClosed)
{
    const std::string zenity = StandIn("zenity", "echo 'cannot open display' >&2; exit 1");
    int said[2];
    ASSERT_EQ(::pipe(said), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(30);
        ::dup2(said[1], 3);
        ::close(STDIN_FILENO);
        ::close(STDOUT_FILENO);
        ::dup2(3, STDERR_FILENO);
        ::_exit(ShowWith(zenity, "x") == kDialogFailed ? 0 : 1);
    }
    ::close(said[1]);
    EXPECT_EQ(testing_support::ReadAll(said[0]), "cannot open display\n");
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a failed dialog is a failed box";
}

TEST_F(DesktopDialog, TheDialogGoesWhenTheProgramIsEnded)
{
    const std::string pid_file = folder_ + "/helper-pid";
    const std::string zenity = StandIn("zenity", "echo $$ > '" + pid_file + "'; exec sleep 30");
    for (const int ending : {SIGTERM, SIGHUP, SIGINT}) {
        std::filesystem::remove(pid_file);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(30);
            static_cast<void>(ShowWith(zenity, "x"));
            ::_exit(0);
        }
        const auto written = [&] {
            std::error_code missing;
            return std::filesystem::file_size(pid_file, missing) > 0 && !missing;
        };
        for (int i = 0; i < 500 && !written(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::string helper;
        std::ifstream(pid_file) >> helper;
        ASSERT_FALSE(helper.empty()) << "the dialog did not come up";
        ::kill(child, ending);
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending) << "ended as " << strsignal(ending) << " ends";
        EXPECT_NE(::kill(std::stoi(helper), 0), 0) << "the dialog went with it";
    }
}
