// The desktop dialog box with stand-in helpers: small scripts that behave as
// a version of zenity or kdialog does, record the arguments they are given
// and exit as told.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/linux/desktop_dialog.h"
#include "platform/linux/display_probe.h"
#include "platform/linux/helper_arguments.h"
#include "platform/linux/helper_choice.h"
#include "platform/linux/helper_process.h"
#include "platform/linux/session.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/private_locales.h"
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

    // A stand-in helper that answers "--version" with `version`, after GTK's
    // chatter on its error output, and otherwise records its arguments, then
    // runs `then`.
    std::string StandIn(const std::string& name, const std::string& then = "exit 0",
                        const std::string& version = "3.44.0")
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n[ \"$1\" = --version ] && { echo 'Gtk-Message: 00:04:03.680: Failed "
                            << "to load module' >&2; echo '" << version << "'; exit 0; }\n"
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
        DialogHelper helper{kind, path, {}, {}};
        static_cast<void>(ReadVersion(helper));  // one that cannot start fails its box too
        DesktopDialogMsgBox box(helper);
        return box.Show(prompt, style, title);
    }

    std::string folder_;
};

long OpenDescriptors()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// Whether process `pid` ends (or is left a zombie) within two seconds.
bool Gone(pid_t pid)
{
    for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        std::string stat;
        if (!std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), stat) ||
            stat.substr(stat.rfind(')') + 2, 1) == "Z") {
            return true;
        }
    }
    return false;
}

bool Holds(const std::vector<std::string>& arguments, const std::string& argument)
{
    return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

}  // namespace

TEST_F(DesktopDialog, EachDesktopsOwnHelperIsChosenOrTheNextThatStarts)
{
    // A helper that cannot start: its interpreter is missing, or it is built
    // for another machine.
    const char *no_interpreter = "#!/nonexistent/sh\n", *other_machine = "\177ELF\1\2\3";
    const auto told = [this](const std::string& name, const std::string& cause) {
        return "osoby: pomocník dialogů " + folder_ + "/" + name + " nelze spustit: " + cause + "\n";
    };
    const std::string missing = "No such file or directory (errno 2)", wrong = "Exec format error (errno 8)";
    struct Case {
        const char* desktop;
        const char *zenity, *kdialog;  // null: not installed; empty: a working one
        std::optional<Helper> chosen;
        std::string told;  // why each that cannot start did not
    } const rows[] = {
        {"ubuntu:GNOME", "", "", Helper::Zenity, ""},
        {"neon:KDE", "", "", Helper::KDialog, ""},
        {"KDEish", "", "", Helper::Zenity, ""},
        {nullptr, nullptr, "", Helper::KDialog, ""},
        {"KDE", "", nullptr, Helper::Zenity, ""},
        {nullptr, no_interpreter, "", Helper::KDialog, told("zenity", missing)},
        {"KDE", "", other_machine, Helper::Zenity, told("kdialog", wrong)},
        {"KDE", no_interpreter, other_machine, std::nullopt, told("kdialog", wrong) + told("zenity", missing)},
        {nullptr, nullptr, nullptr, std::nullopt, ""}};
    for (const Case& row : rows) {
        SCOPED_TRACE(&row - rows);
        for (const auto& [name, file] : {std::pair{"zenity", row.zenity}, std::pair{"kdialog", row.kdialog}}) {
            std::filesystem::remove(folder_ + "/" + name);
            if (file != nullptr) {  // a working stand-in, or one overwritten with `file`
                std::ofstream(StandIn(name), *file == '\0' ? std::ios::app : std::ios::trunc) << file;
            }
        }
        const std::string path = "/nonexistent:" + folder_;
        std::string said;
        const auto chosen = FirstThatStarts(FindDialogHelpers({nullptr, ":0", nullptr, row.desktop, path.c_str()}),
                                            {false, true}, said);
        EXPECT_EQ(chosen ? std::optional(chosen->kind) : std::nullopt, row.chosen);
        EXPECT_EQ(chosen ? chosen->path : "",
                  !chosen ? "" : folder_ + (chosen->kind == Helper::Zenity ? "/zenity" : "/kdialog"));
        EXPECT_TRUE(!chosen || chosen->version == (Version{3, 44})) << "read as it starts";
        EXPECT_EQ(said, row.told);
        EXPECT_FALSE(FirstThatStarts(FindDialogHelpers({nullptr, ":0", nullptr, row.desktop, path.c_str()}), {}, said))
            << "no display answers";
    }
    // Found only as a regular executable file in an absolute folder of the
    // search path of a desktop session.
    std::filesystem::create_directory(folder_ + "/zenity");
    StandIn("kdialog");
    const std::string path = "/nonexistent:" + folder_;
    EXPECT_EQ(FindDialogHelpers({nullptr, ":0", nullptr, nullptr, path.c_str()}).size(), 1u) << "a folder is none";
    EXPECT_EQ(FindDialogHelpers({"wayland-0", nullptr, nullptr, nullptr, path.c_str()}).size(), 1u);
    EXPECT_TRUE(FindDialogHelpers({nullptr, ":0", nullptr, nullptr, nullptr}).empty()) << "PATH unset";
    EXPECT_TRUE(FindDialogHelpers({nullptr, nullptr, nullptr, nullptr, path.c_str()}).empty()) << "no session";
    EXPECT_TRUE(FindDialogHelpers({"", "", nullptr, nullptr, path.c_str()}).empty()) << "empty variables";
    std::filesystem::create_directory(folder_ + "/bin");
    StandIn("bin/zenity");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    const std::string up = "../" + std::filesystem::path(folder_).filename().string();
    for (const std::string& entries : {std::string(""), std::string(":"), std::string("."), std::string("bin"), up}) {
        EXPECT_TRUE(FindDialogHelpers({nullptr, ":0", nullptr, nullptr, entries.c_str()}).empty()) << entries;
    }
    std::filesystem::current_path(previous);

    // Where the box used instead fails too, the user reads why no helper started.
    testing_support::RecordingMsgBox box;
    box.fail_at = 1;
    AfterUnstartableHelper noted(box, "osoby: /x nelze spustit\n");
    for (const Status status : {kOk, Status::FromPosixError(EIO)}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(noted.Show("x", BoxStyle::Plain, "T"), status);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), status.Failed() ? "osoby: /x nelze spustit\n" : "");
    }
}

// X servers on TCP (127.0.0.1, 127.0.0.2 and ::1 at port 6000 + t), on an
// abstract socket only (display l) and in the file system only (display f),
// and a Wayland compositor; each answers one client as a row says.
class DisplayProbe : public DesktopDialog {
protected:
    enum Cookies { kInXauthority, kInHome, kXauthorityEmpty, kNoFile, kFifo };  // where the row's entries lie
    struct Case {
        std::string display;  // in both variables: it names a display of one kind only
        int listener;
        std::optional<std::string> reply;  // none: silence; X's Success only to the right cookie
        bool answers;
        std::string entries = {};  // the Xauthority file
        Cookies cookies = kInXauthority;
        std::string x_display = display;
    };

    void SetUp() override
    {
        DesktopDialog::SetUp();
        sockaddr_in ipv4{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        tcp_ = Listening(&ipv4, sizeof ipv4);
        socklen_t length = sizeof ipv4;
        ASSERT_EQ(::getsockname(tcp_, reinterpret_cast<sockaddr*>(&ipv4), &length), 0);
        ASSERT_GT(ntohs(ipv4.sin_port), 6000);
        const int t = ntohs(ipv4.sin_port) - 6000;
        t_ = std::to_string(t);
        l_ = std::to_string(t + 1);
        f_ = std::to_string(t + 2);
        sockaddr_in6 ipv6{AF_INET6, ipv4.sin_port, 0, in6addr_loopback, 0};
        tcp6_ = Listening(&ipv6, sizeof ipv6);  // -1 where this machine has no IPv6: its rows are left out
        ipv4.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1);
        tcp_other_ = Listening(&ipv4, sizeof ipv4);
        ::mkdir("/tmp/.X11-unix", 01777);
        ::unlink(("/tmp/.X11-unix/X" + f_).c_str());
        local_ = Listening(std::string(1, '\0') + "/tmp/.X11-unix/X" + l_);
        file_socket_ = Listening("/tmp/.X11-unix/X" + f_);
        wayland_ = Listening(folder_ + "/wayland-7");
        ASSERT_TRUE(tcp_ >= 0 && tcp_other_ >= 0 && local_ >= 0 && wayland_ >= 0 && file_socket_ >= 0);
        ASSERT_EQ(::gethostname(host_, sizeof host_ - 1), 0);
        ASSERT_EQ(::mkdir((folder_ + "/home").c_str(), 0700) | ::mkfifo((folder_ + "/fifo").c_str(), 0600), 0);
    }
    void TearDown() override
    {
        for (const int listener : {tcp_, tcp_other_, tcp6_, local_, wayland_, file_socket_}) {
            ::close(listener);
        }
        ::unlink(("/tmp/.X11-unix/X" + f_).c_str());
        DesktopDialog::TearDown();
    }

    static int Listening(const void* address, std::size_t size)
    {
        const auto* name = static_cast<const sockaddr*>(address);
        const int fd = ::socket(name->sa_family, SOCK_STREAM, 0);
        return ::bind(fd, name, static_cast<socklen_t>(size)) == 0 && ::listen(fd, 1) == 0 ? fd : (::close(fd), -1);
    }
    // A local socket's; an abstract one where `path` begins with '\0'.
    static int Listening(const std::string& path)
    {
        sockaddr_un address{AF_UNIX, {}};
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        return Listening(&address, offsetof(sockaddr_un, sun_path) + path.size() + (path[0] == '\0' ? 0 : 1));
    }

    // An Xauthority entry: family, then counted address, display, name and data.
    std::string Cookie(const std::string& number, std::string address = "", std::string family = {'\x01', '\0'},
                       const std::string& name = "MIT-MAGIC-COOKIE-1", const std::string& data = "right cookie 16B")
    {
        for (const std::string& field : {address.empty() ? std::string(host_) : address, number, name, data}) {
            (family += {static_cast<char>(field.size() >> 8), static_cast<char>(field.size())}) += field;
        }
        return family;
    }

    // Whether the row's display answers, within the probe's deadline.
    void Probe(const Case& row)
    {
        SCOPED_TRACE(row.display + " " + std::to_string(row.cookies) + " " + std::to_string(row.entries.size()));
        if (row.listener < 0) {
            std::cout << "No IPv6 loopback here: " << row.display << " is left out\n";
            return;
        }
        const bool in_home = row.cookies == kInHome || row.cookies == kXauthorityEmpty;
        const std::string wrong = Cookie("", "", "\xFF\xFF", "MIT-MAGIC-COOKIE-1", "wrong cookie 16B");
        const std::string xauthority = folder_ + "/Xauthority", fifo = folder_ + "/fifo", home = folder_ + "/home";
        std::ofstream(xauthority) << (in_home ? wrong : row.entries);
        std::ofstream(home + "/.Xauthority") << (in_home ? row.entries : wrong);
        const char* const variable[] = {xauthority.c_str(), nullptr, "", nullptr, fifo.c_str()};  // by Cookies
        int done[2];
        ASSERT_EQ(::pipe(done), 0);
        std::thread server([&row, this, &done, &fifo] {
            // The first of `fd` and `also` ready, -1 for none; waits end where the client has given up.
            const auto wait = [&done](int fd, int also, int milliseconds) {
                pollfd ready[3] = {{fd, POLLIN, 0}, {also, POLLIN, 0}, {done[0], POLLIN, 0}};
                ::poll(ready, 3, milliseconds);
                return ready[0].revents != 0 ? fd : ready[1].revents != 0 ? also : -1;
            };
            // localhost may be ::1 first
            const int client = ::accept(wait(row.listener, row.listener == tcp_ ? tcp6_ : -1, 3000), nullptr, nullptr);
            char request[256] = {};
            const bool read = wait(client, -1, 3000) >= 0 && ::read(client, request, sizeof request) > 0;
            if (row.cookies == kFifo) {
                ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // sets free a reader that waits for a writer
            }
            const bool cookie = std::string_view(request, sizeof request).find("right cookie 16B") != std::string::npos;
            const std::uint32_t sync[3] = {1, 12 << 16, 2};  // all a compositor answers here
            std::string one_screen(32, '\0');
            one_screen[0] = one_screen[28] = '\x01';
            const std::string reply = row.reply == "\x01" ? (cookie ? one_screen : std::string(1, '\0'))
                                      : row.listener == wayland_ && std::memcmp(request, sync, sizeof sync) != 0
                                          ? ""
                                          : row.reply.value_or("");
            // Not at once, as over a network; unread where the client has already given up.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            static_cast<void>(read && ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL));
            wait(client, -1, row.reply ? 0 : 3000);  // silent until the client gives up
            ::close(client);
        });
        const auto start = std::chrono::steady_clock::now();
        // A Wayland socket named by its path needs no XDG_RUNTIME_DIR (unset after su, in a service).
        const char* runtime_dir = row.display.starts_with('/') ? nullptr : folder_.c_str();
        const Displays answering =
            DisplayAnswers({row.display.c_str(), row.x_display.c_str(), runtime_dir, nullptr, nullptr,
                            variable[row.cookies], row.cookies == kNoFile ? nullptr : home.c_str()});
        EXPECT_EQ(answering.Any(), row.answers);
        EXPECT_EQ(answering.wayland, row.answers && row.listener == wayland_) << "and which kind";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        static_cast<void>(::write(done[1], "", 1) == 1);
        server.join();
        ::close(done[0]);
        ::close(done[1]);
    }

    int tcp_ = -1, tcp_other_ = -1, tcp6_ = -1, local_ = -1, wayland_ = -1, file_socket_ = -1;
    std::string t_, l_, f_;  // display numbers: only on TCP, only on the abstract socket, only in the file system
    char host_[256] = {};
};

TEST_F(DisplayProbe, OnlyADisplayThatAnswersIsADesktop)
{
    const long descriptors = OpenDescriptors();
    const std::string right = Cookie(l_);
    for (const Case& row : {
             Case{"unix:" + l_, local_, std::string(1, '\0'), false, right},  // Failed, as to a user after `su`
             Case{":" + l_, local_, "\x02", false, right},                    // Authenticate
             Case{"localhost:" + t_, tcp_, "", false, Cookie(t_)},            // SSH forwarding whose far end is gone
             Case{"127.0.0.1:" + t_, tcp_, std::nullopt, false, Cookie(t_)},  // a hung server
             Case{"wayland-7", wayland_, std::string("\x02\0\0\0\0\0\x0c\0\0\0\0\0", 12), true},  // callback 2 is done
             Case{"wayland-7", wayland_, std::nullopt, false},
             Case{folder_ + "/wayland-7", wayland_, std::string("\x02\0\0\0\0\0\x0c\0\0\0\0\0", 12), true},
             // A silent compositor (nobody takes its connection) leaves X its own time.
             Case{folder_ + "/wayland-7", local_, "\x01", true, right, kInXauthority, ":" + l_},
         }) {
        Probe(row);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors) << "all closed";
    ::close(tcp_);
    EXPECT_FALSE(DisplayAnswers({nullptr, ("127.0.0.1:" + t_).c_str(), nullptr, nullptr, nullptr}).Any())
        << "the server is gone";
    EXPECT_FALSE(DisplayAnswers({"wayland-8", nullptr, folder_.c_str(), nullptr, nullptr}).Any());
    EXPECT_FALSE(DisplayAnswers({"wayland-8", nullptr, nullptr, nullptr, nullptr}).Any()) << "XDG_RUNTIME_DIR unset";
    EXPECT_FALSE(DisplayAnswers({nullptr, nullptr, nullptr, nullptr, nullptr}).Any());
}

// As X clients (libXau, libxcb) choose the authorisation to send.
TEST_F(DisplayProbe, TheCookieSentIsTheOneXClientsSend)
{
    const std::string mit = "MIT-MAGIC-COOKIE-1", xdm = "XDM-AUTHORIZATION-1", local{'\x01', '\0'};
    std::string past_a_mib;  // 17 entries of 64 KiB of another host's
    for (int i = 0; i < 17; ++i) {
        past_a_mib += Cookie(l_, "other-host", local, mit, std::string(65535, 'x'));
    }
    const std::string x = ":" + l_;
    for (const Case& row : {
             Case{x, local_, "\x01", true, Cookie(l_)},           // XAUTHORITY's file; ~/.Xauthority has a wrong one
             Case{x, local_, "\x01", true, Cookie(l_), kInHome},  // where XAUTHORITY is unset
             Case{x, local_, "\x01", false, Cookie(l_), kXauthorityEmpty},  // set but empty: no file
             Case{x, local_, "\x01", false, Cookie(l_), kNoFile},           // neither set
             Case{x, local_, "\x01", false, Cookie(l_), kFifo},             // no regular file, and not waited for
             Case{x, local_, "\x01", false, Cookie(l_, "other-host")},
             Case{x, local_, "\x01", true, Cookie(l_, "other-host", "\xFF\xFF")},  // any host
             Case{x, local_, "\x01", true, Cookie("")},                            // any display
             Case{x, local_, "\x01", false, Cookie("1" + l_)},
             Case{":0" + l_, local_, "\x01", true, Cookie(l_)},  // the display's number, not its text
             Case{x, local_, "\x01", false, Cookie(l_, "", local, mit, "wrong cookie 16B") + Cookie(l_)},  // the first
             Case{x, local_, "\x01", false, Cookie(l_, "", local, xdm) + Cookie(l_)},  // XDM-AUTHORIZATION-1 first,
             Case{x, local_, "\x01", false, Cookie(l_) + Cookie(l_, "", local, xdm)},  // wherever it is,
             Case{x, local_, "\x01", true, Cookie("1" + l_, "", local, xdm) + Cookie(l_)},         // for this display
             Case{x, local_, "\x01", true, Cookie(l_, "", local, "MIT-KERBEROS-5") + Cookie(l_)},  // others skipped
             Case{x, local_, "\x01", true, past_a_mib + Cookie(l_)},
             // 127.0.0.1 is this host, by its name; any other address by its bytes.
             Case{"127.0.0.1:" + t_, tcp_, "\x01", true, Cookie(t_)},
             Case{"127.0.0.1:" + t_, tcp_, "\x01", false,
                  Cookie(t_, std::string("\x7F\0\0\x01", 4), std::string(2, '\0'))},
             Case{"::ffff:127.0.0.1:" + t_, tcp_, "\x01", true, Cookie(t_)},
             Case{"127.0.0.2:" + t_, tcp_other_, "\x01", true,
                  Cookie(t_, std::string("\x7F\0\0\x02", 4), std::string(2, '\0'))},
             Case{"127.0.0.2:" + t_, tcp_other_, "\x01", false, Cookie(t_)},
         }) {
        Probe(row);
    }
}

// As libxcb reads DISPLAY, and Xlib the screen.
TEST_F(DisplayProbe, DisplayNamesAreReadAsXClientsReadThem)
{
    for (const auto& [display, listener, answers] : std::initializer_list<std::tuple<std::string, int, bool>>{
             {":" + l_ + ".0", local_, true},
             {":" + l_ + ".1", local_, false},  // a screen the server does not have
             {":" + l_ + ".x", local_, false},
             {":" + l_ + ".", local_, false},
             {":0" + l_, local_, true},
             {":+" + l_, local_, true},
             {":" + l_ + "x", local_, false},
             {"unix:" + l_, local_, true},
             {"unix/:" + l_, local_, true},
             {"/:" + l_, local_, false},
             {"tcp/:" + l_, local_, false},
             {":" + f_, file_socket_, true},
             {":" + t_, tcp_, true},        // no local socket: TCP on localhost,
             {"unix/:" + t_, tcp_, false},  // but not where the protocol says unix
             {"127.0.0.1:" + t_ + ".0", tcp_, true},
             {"tcp/127.0.0.1:" + t_, tcp_, true},
             {"decnet/127.0.0.1:" + t_, tcp_, false},
             {"[::1]:" + t_, tcp6_, true},
             {"tcp/[::1]:" + t_, tcp6_, true},
             {"inet6/[::1]:" + t_, tcp6_, true},
             {"[127.0.0.1]:" + t_, tcp_, false},  // brackets hold IPv6 only
             {"127.0.0.1", tcp_, false},
         }) {
        Probe({display, listener, "\x01", answers, Cookie("")});
    }
}

// A host name whose name server never answers (resolv.conf's timeouts add up
// to 30 s), in user, mount and network namespaces of the test's own.
TEST_F(DesktopDialog, AHostNameIsLookedUpWithinTheDeadline)
{
    const std::string resolv = folder_ + "/resolv.conf";
    std::ofstream(resolv) << "nameserver 127.0.0.1\noptions timeout:10 attempts:3\n";
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(8);  // a lookup that is waited for ends here
        ifreq up{};
        up.ifr_flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
        std::memcpy(up.ifr_name, "lo", 3);
        sockaddr_in name_server{AF_INET, htons(53), {htonl(INADDR_LOOPBACK)}, {}};
        const int silent =
            ::unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) == 0 ? ::socket(AF_INET, SOCK_DGRAM, 0) : -1;
        if (silent < 0 || ::ioctl(silent, SIOCSIFFLAGS, &up) != 0 ||
            ::mount(resolv.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0 ||
            ::bind(silent, reinterpret_cast<sockaddr*>(&name_server), sizeof name_server) != 0) {
            ::_exit(2);
        }
        char query[512];
        ::_exit(DisplayAnswers({nullptr, "x.osoby.test:0", nullptr, nullptr, nullptr}).Any() ? 3
                : ::recv(silent, query, sizeof query, MSG_DONTWAIT) <= 0                     ? 4
                : ::waitpid(-1, nullptr, WNOHANG) != -1                                      ? 5
                                                                                             : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "This machine gives a test no namespaces of its own";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), 0)
        << "3: it answered, 4: no name server was asked, 5: the lookup left a process; -14: it hung";
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
    // A version that does not come in time is unknown; the helper is gone
    // with all it started, none left a zombie.
    const std::string pid_file = folder_ + "/pid";
    for (const std::string& hang : {std::string("exec sleep 30"), "sleep 30 & echo $! > " + pid_file + "; wait"}) {
        DialogHelper helper{Helper::Zenity, StandIn("zenity", "", "3.44.0'; " + hang + "; '"), {}, {}};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ReadVersion(helper, std::chrono::milliseconds(200)), kOk);
        EXPECT_EQ(helper.version, Version{});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    }
    pid_t started = 0;
    EXPECT_TRUE((std::ifstream(pid_file) >> started) && Gone(started)) << "a wrapper's child too";
}

TEST_F(DesktopDialog, TextsReachTheHelperLiterally)
{
    const std::string zenity = StandIn("zenity");
    ASSERT_EQ(ShowWith(zenity, "<b>Tarn</b> & co\nline two", BoxStyle::Plain, "--version"), kOk);
    EXPECT_EQ(Recorded().at(2), "--title=--version");
    EXPECT_EQ(Recorded().at(3), "--text=<b>Tarn</b> & co\nline two");
    ASSERT_EQ(ShowWith(zenity, "-x\x1b[31m\xFF"), kOk);
    EXPECT_EQ(Recorded().at(3), "--text=-x^[[31m\xEF\xBF\xBD");

    // kdialog reads markup, backslashes, line breaks and runs of spaces of its
    // own; below the text, a row as wide as the title needs.
    const std::string kdialog = StandIn("kdialog");
    ASSERT_EQ(ShowWith(kdialog, " <b>C:\\new</b> & \"co\"  \nx", BoxStyle::Warning, "Chyba vstupu", Helper::KDialog),
              kOk);
    EXPECT_EQ(Recorded(),
              (std::vector<std::string>{
                  "--title=Chyba vstupu",
                  "--sorry=<qt>&nbsp;&lt;b&gt;C:\\\\new&lt;/b&gt; &amp; &quot;co&quot; &nbsp;<br>x<table width=\"248\" "
                  "cellpadding=\"0\" cellspacing=\"0\"><tr><td></td></tr></table></qt>"}));
    // Room for " — KDialog" where that version adds it to the title; "Ž" is
    // one column, not two bytes.
    for (const auto& [version, width] :
         {std::pair{"kdialog 22.12.3", "138"}, std::pair{"kdialog 25.04.0", "38"}, std::pair{"kdialog 24.12.0", "138"},
          std::pair{"kdialog 26.04.1", "38"}, std::pair{"unreadable", "138"}}) {
        ASSERT_EQ(ShowWith(StandIn("kdialog", "exit 0", version), "x", BoxStyle::Plain, "Ž", Helper::KDialog), kOk);
        EXPECT_TRUE(Recorded().at(1).starts_with(std::string("--msgbox=<qt>x<table width=\"") + width + "\" "))
            << version << ": " << Recorded().at(1);
    }
}

TEST_F(DesktopDialog, TheHelpersToolkitIsToldTheKindOfDisplayThatAnswers)
{
    // Unless told, Qt takes X where XDG_SESSION_TYPE is unset, and GTK
    // Wayland where one is named. Each is told where only one kind answers;
    // what the user chose stays where it names a kind that answers.
    constexpr Displays kWayland{true, false}, kX{false, true}, kBoth{true, true}, kUnknown{};
    const std::string names[] = {"QT_QPA_PLATFORM=", "GDK_BACKEND="};
    for (const auto& [displays, set, expected] :  // the values of both, "-" where unset
         {std::tuple{kWayland, "- -", "wayland wayland"},
          {kX, "- -", "xcb x11"},
          {kBoth, "- -", "- -"},
          {kUnknown, "- -", "- -"},
          {kWayland, "xcb wayland,x11", "wayland wayland,x11"},
          {kX, "wayland-egl;xcb x11", "xcb x11"},
          {kWayland, "wayland-egl x11", "wayland-egl wayland"},
          {kBoth, "xcb wayland", "xcb wayland"},
          {kBoth, "offscreen broadway", "- -"},
          {kUnknown, "offscreen -", "offscreen -"}}) {
        std::istringstream values(set);
        std::string entries[2];
        for (int i = 0; i < 2 && values >> entries[i]; ++i) {
            entries[i] = entries[i] == "-" ? "UNSET=" : names[i] + entries[i];
        }
        const char* environment[] = {"WAYLAND_DISPLAY=wayland-0", "QT_QPA_PLATFORMTHEME=kde", entries[0].c_str(),
                                     entries[1].c_str(), nullptr};
        const std::vector<std::string> helpers = HelperEnvironment(environment, displays);
        std::string got;
        for (const std::string& name : names) {
            const auto is = [&name](const std::string& entry) { return entry.starts_with(name); };
            const auto found = std::find_if(helpers.begin(), helpers.end(), is);
            got.append(got.empty() ? "" : " ")
                .append(found == helpers.end()                        ? "-"
                        : std::count_if(found, helpers.end(), is) > 1 ? "twice"
                                                                      : found->substr(name.size()));
        }
        EXPECT_EQ(got, expected) << set;
        EXPECT_TRUE(Holds(helpers, "QT_QPA_PLATFORMTHEME=kde") && Holds(helpers, "WAYLAND_DISPLAY=wayland-0"));
    }
}

TEST_F(DesktopDialog, EachHelpersExitCodesAreReadAsItMeansThem)
{
    // The caller's environment asks for other exit codes and another locale,
    // and the program ignores SIGPIPE.
    const auto sigpipe = std::signal(SIGPIPE, SIG_IGN);
    ::setenv("DIALOG_OK", "7", 1);
    ::setenv("ZENITY_ESC", "5", 1);
    ::setenv("LC_ALL", "C", 1);
    const long descriptors = OpenDescriptors();
    struct Case {
        Helper kind;
        const char* then;
        Status expected;
    };
    for (const Case& exit : {
             Case{Helper::Zenity, "exit 0", kOk},
             Case{Helper::Zenity,  // Escape; the caller's code not there at all
                  "grep -qa -e ZENITY_ESC=5 -e DIALOG_OK=7 /proc/$$/environ && exit 9; echo 'Gtk-Message: no parent' "
                  ">&2; exit "
                  "\"$ZENITY_ESC\"",
                  kOk},
             Case{Helper::Zenity,
                  "[ \"$LC_CTYPE\" = C.UTF-8 ] && [ \"$LC_TIME\" = C ] && [ -z \"$LC_ALL\" ] && exit \"$ZENITY_OK\"; "
                  "exit 9",
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
    EXPECT_EQ(OpenDescriptors(), descriptors) << "each dialog's descriptors closed";
    ::unsetenv("DIALOG_OK");
    ::unsetenv("ZENITY_ESC");
    ::unsetenv("LC_ALL");
    std::signal(SIGPIPE, sigpipe);
    EXPECT_EQ(ShowWith(folder_ + "/missing", "x"), Status::FromPosixError(ENOENT));
}

TEST(HelperEnvironment, GivesEveryCategoryAnInstalledLocaleAndCharactersUtf8)
{
    const bool legacy = testing_support::UsePrivateLocales();
    const std::string locpath = std::string("LOCPATH=") + std::getenv("LOCPATH");
    // The caller's settings; whether the helper gets them as they are; what its
    // setlocale(LC_ALL, "") makes of them, as `locale` says (cs_CZ and de_DE@euro, the private legacy ones).
    const std::tuple<std::vector<const char*>, bool, const char*> cases[] = {
        {{"LANG=C.UTF-8"}, true, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C.UTF-8"},
        {{"LANG=cs_CZ.UTF-8"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C.UTF-8"},  // missing, as ssh forwards it
        {{"LC_ALL=C.UTF-8", "LANG=cs_CZ.UTF-8"}, true, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C.UTF-8"},
        {{"LC_ALL=cs_CZ.UTF-8", "LANG=C.UTF-8"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C.UTF-8"},
        {{"LC_ALL=", "LC_CTYPE=C.UTF-8", "LC_MESSAGES=C", "LANG=cs_CZ.UTF-8"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C"},
        {{"LC_TIME=cs_CZ.UTF-8", "LANG=C.UTF-8"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C.UTF-8"},
        {{"LC_CTYPE=C.UTF-8", "LANG=C"}, true, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C"},
        {{"LC_CTYPE=C", "LANG=C.UTF-8"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C.UTF-8"},  // ASCII
        {{"LC_ALL=C"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C"},
        {{}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=C"},
        {{"LANG=cs_CZ"}, false, "LC_CTYPE=C.UTF-8 LC_MESSAGES=cs_CZ"},  // Latin-2, its name naming no charset
        {{"LC_CTYPE=C.UTF-8", "LANG=de_DE@euro"}, true, "LC_CTYPE=C.UTF-8 LC_MESSAGES=de_DE@euro"},
    };
    for (auto [environment, kept, shown] : cases) {
        if (!legacy && std::string_view(shown).find("MESSAGES=C") == std::string_view::npos) {
            continue;
        }
        environment.insert(environment.begin(), {locpath.c_str(), "PATH=/usr/bin:/bin"});
        environment.push_back(nullptr);
        const std::vector<std::string> helper = HelperEnvironment(environment.data(), {});
        SCOPED_TRACE(testing::PrintToString(helper));
        std::string command = "env -i";
        for (const std::string& entry : helper) {
            command += " '" + entry + "'";
        }
        command +=
            " sh -c 'locale 2>&1 | grep -e Cannot -e LC_CTYPE -e LC_MESSAGES | tr -d \\\" | tr \"\\n\" \" \"; "
            "locale charmap'";
        FILE* const said = ::popen(command.c_str(), "r");
        ASSERT_NE(said, nullptr);
        EXPECT_EQ(testing_support::ReadAll(::fileno(said)), std::string(shown) + " UTF-8\n");
        EXPECT_EQ(helper.size() == environment.size() + 3, kept);
        ::pclose(said);
    }
    if (!legacy) {
        GTEST_SKIP() << "localedef or its sources (package locales) missing: the rows of legacy charsets left out";
    }
}

TEST_F(DesktopDialog, KeepsTheHelpersWordsWithItsStandardDescriptorsClosed)
{
    const std::string zenity = StandIn("zenity", "echo 'cannot open display' >&2; exit 1");
    int said[2];
    ASSERT_EQ(::pipe(said), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
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
    // Where whoever started the program ignored or blocked the signal, the
    // program goes on with its dialog.
    enum Starter { kLeftAtDefault, kIgnored, kBlocked };
    // A wrapper script of the real helper: only the whole group reaches that.
    constexpr const char* kWrapper = "sh -c '@exec sleep 30' & wait; ";
    struct Case {
        int ending;
        const char* helper;  // @ where it says its number, the dialog's process
        Starter starter;
    };
    for (const Case& row : {Case{SIGTERM, "@", kLeftAtDefault}, Case{SIGHUP, "@", kLeftAtDefault},
                            Case{SIGINT, "@", kLeftAtDefault}, Case{SIGQUIT, kWrapper, kLeftAtDefault},
                            Case{SIGUSR1, kWrapper, kLeftAtDefault}, Case{SIGALRM, kWrapper, kLeftAtDefault},
                            Case{SIGKILL, "@", kLeftAtDefault},  // no handler sees it: the kernel's signal
                            Case{SIGTERM, "@trap '' TERM; ", kLeftAtDefault},  // waited for, then killed
                            Case{SIGHUP, "@kill -STOP $$; ", kLeftAtDefault},  // stopped: continued to take it
                            Case{SIGKILL, "@kill -STOP $$; ", kLeftAtDefault}, Case{SIGTERM, kWrapper, kLeftAtDefault},
                            Case{SIGHUP, "@", kIgnored}, Case{SIGINT, "@", kIgnored}, Case{SIGTERM, "@", kBlocked}}) {
        SCOPED_TRACE(std::string(strsignal(row.ending)) + ", " + row.helper + std::to_string(row.starter));
        std::filesystem::remove(pid_file);
        std::string helper_script = std::string(row.helper) + "exec sleep 30";
        helper_script.replace(helper_script.find('@'), 1, "echo $$ > " + pid_file + "; ");
        const std::string zenity = StandIn("zenity", helper_script);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(5);  // a program that hangs ends here
            const rlimit no_core{0, 0};
            ::setrlimit(RLIMIT_CORE, &no_core);
            std::signal(row.ending, row.starter == kIgnored ? SIG_IGN : SIG_DFL);
            sigset_t blocked;
            sigemptyset(&blocked);
            sigaddset(&blocked, row.ending);
            ::sigprocmask(row.starter == kBlocked ? SIG_BLOCK : SIG_UNBLOCK, &blocked, nullptr);
            ::_exit(ShowWith(zenity, "x") == kDialogFailed ? 0 : 1);
        }
        pid_t helper = 0;
        for (int i = 0; i < 500 && !(std::ifstream(pid_file) >> helper); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_GT(helper, 0) << "the dialog did not come up";
        const auto sent = std::chrono::steady_clock::now();
        ::kill(child, row.ending);
        if (row.starter == kIgnored) {
            ::kill(helper, row.ending);  // a hangup reaches the dialog too
        }
        if (row.starter != kLeftAtDefault) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_EQ(::kill(helper, 0), 0) << "the dialog stays";
            ::kill(helper, SIGKILL);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status),
                  row.starter != kLeftAtDefault ? 0 : row.ending)
            << "ended as the signal ends it; where it is ignored, the program went on";
        EXPECT_TRUE(Gone(helper)) << "the dialog went with it";
        EXPECT_TRUE(row.starter != kLeftAtDefault || std::string_view(row.helper).find("trap") != std::string::npos ||
                    std::chrono::steady_clock::now() - sent < std::chrono::seconds(1))
            << "a helper that takes the signal goes at once, without waiting out the grace";
    }
}
