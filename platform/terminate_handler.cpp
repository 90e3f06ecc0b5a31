// The default terminate handler of GCC's C++ runtime names the exception
// that escaped, and links in a demangler for that: a sixth to a third of the
// program, on Linux paged in at every start. Only a fault in the program
// itself can end up here, so a plain message does as well. Defining the
// handler keeps the runtime's own out of the link.
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    // If standard error fails too, nothing is left to tell it with.
    static_cast<void>(std::fputs("osoby: vnitřní chyba programu\n", stderr));
    std::abort();
}

}  // namespace __gnu_cxx
