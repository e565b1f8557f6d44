// portdump-list: which number to give portdump for which controller.
#include "controller_list.h"
#include "controller_report.h"
#include "program_version.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kUsage[] = "usage: portdump-list [--version]\n"
                          "Lists the controllers portdump can be given; each line begins with the number to give it.\n";

bool AsksForHelp(const char* argument)
{
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 ||
           std::strcmp(argument, "/?") == 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs(PORTDUMP_VERSION_TEXT("portdump-list"), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (argc > 1) {
        const bool help = argc == 2 && AsksForHelp(argv[1]);
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // Static: the list is too large for a thread's stack to hold lightly.
    static ControllerList list;
    const bool readable = ListControllers(list);
    return ReportControllers(readable, list, stdout, stderr);
}
