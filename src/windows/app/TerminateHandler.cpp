// The program's std::terminate handler, in place of libstdc++'s verbose one.
//
// Nothing in Quillmere lets an exception escape or calls std::terminate: every failure is caught
// and reported in a box. The library's default handler would print the exception's demangled
// type name to a console a windowed program does not have, and linking it pulls in the whole C++
// demangler (about 45 KB, a tenth of the program). Defining the handler here keeps the
// library's out of the link; it ends the process as the library's does after its message.

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
