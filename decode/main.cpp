// portdump-decode [--json] [FILE...]: says what the blocks in portdump's
// output are. Exit status 0; 1 when the input had errors or the report is
// not whole; 2 for a usage error.
#include "decoded.h"
#include "dump_parser.h"
#include "input_lines.h"
#include "json_report.h"
#include "source_name.h"
#include "text_input.h"
#include "text_report.h"

#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char kUsage[] =
    "usage: portdump-decode [--json] [FILE...]\n"
    "Reads portdump's output from each FILE, or from standard input when there is none or FILE is -,\n"
    "and says what each block is: IDENTIFY DEVICE or IDENTIFY PACKET DEVICE data, SMART data, or unknown.\n";

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

void ReportError(Run& run, LineNumber line, const char* message)
{
    run.anyError = true;
    std::fflush(stdout);
    if (line > 0) {
        std::fprintf(stderr, "portdump-decode: %s:%lld: %s\n", run.source, line, message);
    } else {
        std::fprintf(stderr, "portdump-decode: %s: %s\n", run.source, message);
    }
    if (run.json) {
        AddJsonError(run.source, line, message);
    }
}

void OnError(void* context, LineNumber line, LineNumber, const char* message)
{
    ReportError(*static_cast<Run*>(context), line, message);
}

void DecodeInput(Run& run, std::FILE* file)
{
    static TextInput input;  // large: kept off the stack
    StartTextInput(input, file);
    DumpParser parser;
    StartParser(parser, ParserEvents{&run, OnBlock, OnFailure, OnError});
    const LineNumber lines = ParseInput(input, parser);
    if (std::ferror(file)) {
        ReportError(run, lines + 1, "read error");
    }
    FinishInput(parser);
}

// Everything written reached its file: a full disk or a closed pipe is no
// success.
bool OutputWritten()
{
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    return std::fclose(stdout) == 0 && flushed;
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

#ifdef _WIN32
    // Binary, so that a 0x1A byte does not end the input and CRs reach the parser as they are.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    if (run.json) {
        StartJson();
    }
    static char* const kStandardInput[] = {const_cast<char*>("-")};
    char* const* sources = first < argc ? argv + first : kStandardInput;
    const int count = first < argc ? argc - first : 1;
    for (int i = 0; i < count; ++i) {
        run.source = run.json ? JsonSourceName(sources[i]) : sources[i];
        const bool standardInput = std::strcmp(sources[i], "-") == 0;
        std::FILE* input = standardInput ? stdin : std::fopen(sources[i], "rb");
        if (input == nullptr) {
            ReportError(run, 0, "cannot open");
            continue;
        }
        DecodeInput(run, input);
        if (!standardInput) {
            std::fclose(input);
        }
    }
    bool whole = true;
    if (run.json) {
        const JsonLeftOut leftOut = FinishJson();
        if (leftOut.failures + leftOut.errors > 0) {
            std::fprintf(stderr,
                         "portdump-decode: the JSON lists the first %d failures and %d errors; %lld failures and "
                         "%lld errors more are left out (see \"not_listed\")\n",
                         kMaxJsonListed, kMaxJsonListed, leftOut.failures, leftOut.errors);
            whole = false;
        }
    }
    if (!OutputWritten()) {
        std::fprintf(stderr, "portdump-decode: cannot write the report to standard output\n");
        whole = false;
    }
    return run.anyError || !whole ? 1 : 0;
}
