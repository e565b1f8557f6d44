#include "controller_query.h"
#include "messages.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

// The language fixes main's parameters: argv cannot be declared const.
// cppcheck-suppress constParameter
int main(int argc, char* argv[], char* envp[])
{
    (void)envp;
    // Each line is flushed whole: one write a line, also on a console, where
    // stdout is otherwise unbuffered and goes out a byte at a time.
    std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
    if (argc == 2) {
        // strtol, unlike atoi, has defined overflow; long may be wider than
        // int, so saturate at int's range as strtol does at long's.
        long number = std::strtol(argv[1], nullptr, 10);
        if (number > INT_MAX) {
            number = INT_MAX;
        } else if (number < INT_MIN) {
            number = INT_MIN;
        }
        QueryController(static_cast<int>(number));
    } else {
        std::printf(USAGE_MESSAGE);
        std::fflush(stdout);
    }
    return 0;
}
