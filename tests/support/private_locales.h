#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

namespace testing_support {

// A folder of this test process's own locales, which LOCPATH (set here for
// the process) puts before the C library's folder and in place of its
// archive, where Debian keeps every locale generated: "cs_CZ.UTF-8" is
// missing wherever C.UTF-8 is the only one in that folder, as Debian has it. Where localedef and its
// sources (Debian's package locales) are there, it holds two whose names
// name no charset: "cs_CZ" (ISO-8859-2) and "de_DE@euro" (ISO-8859-15).
// Gives whether it does. Made once, and removed at exit.
inline bool UsePrivateLocales()
{
    struct Folder {
        std::string path = testing::TempDir() + "osoby-locales-" + std::to_string(::getpid());
        bool made = std::filesystem::create_directory(path) &&
                    std::system(("localedef -i cs_CZ -f ISO-8859-2 " + path + "/cs_CZ 2>/dev/null && " +
                                 "localedef -i de_DE@euro -f ISO-8859-15 " + path + "/de_DE@euro 2>/dev/null")
                                    .c_str()) == 0;
        ~Folder() { std::filesystem::remove_all(path); }
    };
    static const Folder folder;
    ::setenv("LOCPATH", folder.path.c_str(), 1);
    return folder.made;
}

}  // namespace testing_support
