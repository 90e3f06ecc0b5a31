// The C++ runtime's default terminate handler names the exception that
// escaped, and links in a demangler for that: a third of the program, paged
// in at every start. Only a fault in the program itself can end up here, so a
// plain message does as well. Defining the handler keeps the runtime's own
// out of the link.
#include <cstdlib>
#include <exception>

#include <unistd.h>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    static constexpr char kMessage[] = "osoby: vnitřní chyba programu\n";
    if (::write(STDERR_FILENO, kMessage, sizeof kMessage - 1) < 0) {
        // Nothing left to tell it with.
    }
    std::abort();
}

}  // namespace __gnu_cxx
