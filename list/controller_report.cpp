#include "controller_report.h"

#include "device_names.h"

#include <cstddef>
#include <utility>

namespace {

constexpr char kProgram[] = "portdump-list";

// Stable, so controllers of one number keep the system's order; no heap.
void SortByNumber(ControllerList& list)
{
    for (int i = 1; i < list.count; ++i) {
        for (int j = i; j > 0 && list.controllers[j - 1].number > list.controllers[j].number; --j) {
            std::swap(list.controllers[j - 1], list.controllers[j]);
        }
    }
}

// A field as it stands, but a control byte as '?', so that whatever a
// driver or the registry holds, a controller stays one line.
void PrintField(const char* field, std::FILE* out)
{
    for (; *field != '\0'; ++field) {
        const unsigned char byte = static_cast<unsigned char>(*field);
        std::fputc(byte < 0x20 || byte == 0x7f ? '?' : byte, out);
    }
}

// The fields that are not empty, two blanks apart; `before` goes before the
// first.
template <std::size_t Count, std::size_t Size>
void PrintFields(const char (&fields)[Count][Size], const char* before, std::FILE* out)
{
    for (const char* field : fields) {
        if (field[0] != '\0') {
            std::fputs(before, out);
            PrintField(field, out);
            before = "  ";
        }
    }
}

// Indented below its controller, so that only controller lines begin with
// a number.
void PrintPort(const ListedPort& port, std::FILE* out)
{
    std::fprintf(out, "    port %d", port.port);
    PrintFields(port.fields, "  ", out);
    std::fputc('\n', out);
}

void PrintController(const ListedController& controller, std::FILE* out)
{
    std::fprintf(out, "%d", controller.number);
    PrintFields(controller.fields, "  ", out);
    const int alias = AliasNumber(controller.number);
    if (alias >= 0) {
        std::fprintf(out, "  (also %d)", alias);
    }
    std::fputc('\n', out);
    for (int i = 0; i < controller.portCount; ++i) {
        PrintPort(controller.ports[i], out);
    }
}

}  // namespace

int ReportControllers(bool readable, ControllerList& list, std::FILE* out, std::FILE* err)
{
    if (!readable) {
        std::fprintf(err, "%s: %s\n", kProgram, list.problem);
        return 1;
    }
    SortByNumber(list);
    for (int i = 0; i < list.count; ++i) {
        PrintController(list.controllers[i], out);
    }
    if (list.count == 0) {
        std::fputs("No controller found.\n", out);
    }
    // After the numbered lines, and beginning with no digit, so that a
    // script reading those sees no change.
    for (int i = 0; i < list.unreachableCount; ++i) {
        std::fputs("Not reachable by portdump (no SCSI host):", out);
        PrintFields(list.unreachable[i].fields, " ", out);
        std::fputc('\n', out);
    }
    if (list.problem[0] != '\0') {
        std::fprintf(err, "%s: %s; the list may be incomplete\n", kProgram, list.problem);
    }
    if (std::fflush(out) != 0 || std::ferror(out) != 0) {
        std::fprintf(err, "%s: cannot write the list to standard output\n", kProgram);
        return 1;
    }
    return 0;
}
