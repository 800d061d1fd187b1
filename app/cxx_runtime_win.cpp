// The few C++ runtime failures the program's code can reach, routed to the fatal-error path.
//
// Containers of the standard library report impossible sizes through these functions. libstdc++'s
// own versions throw exceptions whose messages are std::string objects, which brings the whole
// string and exception-message machinery (about 80 KB) into a program that never catches them.
// Defining them here keeps that out: an impossible size ends the run like any other fatal error.
#include <new>

#include "core/fatal.h"

namespace std {

void __throw_length_error(const char *what)
{
    FatalFormat("Length error: %s", what ? what : "");
}

void __throw_bad_alloc()
{
    Fatal("Out Of Memory.");
}

void __throw_bad_array_new_length()
{
    Fatal("Out Of Memory: impossible array length.");
}

} // namespace std
