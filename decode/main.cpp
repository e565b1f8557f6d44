// portdump-decode [--json] [FILE...]: says what the blocks in portdump's
// output are. Exit status 0, 1 when the input had errors, 2 for a usage error.
#include "decoded.h"
#include "dump_parser.h"
#include "json_report.h"
#include "text_report.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kLineSize = 1024;

const char kUsage[] =
    "usage: portdump-decode [--json] [FILE...]\n"
    "Reads portdump's output from each FILE, or from standard input when there is none or FILE is -,\n"
    "and says what each block is: IDENTIFY DEVICE data, SMART data, or unknown.\n";

struct Run {
    bool json;
    const char* source;
    bool anyError;
};

void OnBlock(void* context, const ParsedBlock& block)
{
    Run& run = *static_cast<Run*>(context);
    static DecodedBlock decoded;  // large: kept off the stack
    DecodeBlock(block, run.source, decoded);
    if (run.json) {
        AddJsonBlock(decoded);
    } else {
        PrintTextBlock(decoded);
    }
}

void OnFailure(void* context, const FailureLine& failure)
{
    Run& run = *static_cast<Run*>(context);
    if (run.json) {
        AddJsonFailure(run.source, failure);
    } else {
        PrintTextFailure(run.source, failure);
    }
}

void ReportError(Run& run, long line, const char* message)
{
    run.anyError = true;
    std::fflush(stdout);
    if (line > 0) {
        std::fprintf(stderr, "portdump-decode: %s:%ld: %s\n", run.source, line, message);
    } else {
        std::fprintf(stderr, "portdump-decode: %s: %s\n", run.source, message);
    }
    if (run.json) {
        AddJsonError(run.source, line, message);
    }
}

void OnError(void* context, long line, long, const char* message)
{
    ReportError(*static_cast<Run*>(context), line, message);
}

void DecodeInput(Run& run, std::FILE* input)
{
    DumpParser parser;
    StartParser(parser, ParserEvents{&run, OnBlock, OnFailure, OnError});
    char line[kLineSize];
    long number = 0;
    while (std::fgets(line, sizeof line, input) != nullptr) {
        ++number;
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n') {
            ParseLine(parser, line, length - 1, number);
            continue;
        }
        if (std::feof(input)) {
            ParseLine(parser, line, length, number);
            break;
        }
        // Longer than any line of portdump's: skip the rest of it.
        RejectLongLine(parser, number);
        int c;
        while ((c = std::fgetc(input)) != EOF && c != '\n') {
        }
    }
    if (std::ferror(input)) {
        ReportError(run, number + 1, "read error");
    }
    FinishInput(parser);
}

}  // namespace

int main(int argc, char* argv[])
{
    Run run{false, "-", false};
    int first = 1;
    for (; first < argc && argv[first][0] == '-' && argv[first][1] != '\0'; ++first) {
        if (std::strcmp(argv[first], "--json") == 0) {
            run.json = true;
        } else if (std::strcmp(argv[first], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        } else {
            std::fprintf(stderr, "portdump-decode: unknown option %s\n%s", argv[first], kUsage);
            return 2;
        }
    }

    if (run.json) {
        StartJson();
    }
    static char* const kStandardInput[] = {const_cast<char*>("-")};
    char* const* sources = first < argc ? argv + first : kStandardInput;
    const int count = first < argc ? argc - first : 1;
    for (int i = 0; i < count; ++i) {
        run.source = sources[i];
        const bool standardInput = std::strcmp(run.source, "-") == 0;
        std::FILE* input = standardInput ? stdin : std::fopen(run.source, "rb");
        if (input == nullptr) {
            ReportError(run, 0, "cannot open");
            continue;
        }
        DecodeInput(run, input);
        if (!standardInput) {
            std::fclose(input);
        }
    }
    if (run.json) {
        FinishJson();
    }
    return run.anyError ? 1 : 0;
}
