// quorvel-counts' entry point: a console program of the platform-free core.
#include <stdio.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/counts_program.h"

int main(int argc, char **argv)
{
#ifdef _WIN32
    // The table's bytes as the file has them: CR LF stays CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return counts_program(argc, argv, stdout, stderr);
}
