// portdump-decode [--json | --prometheus] [FILE...]: says what the blocks in
// portdump's output are. Exit status 0; 1 when the input had errors or the
// report is not whole; 2 for a usage error.
#include "block_decoder.h"
#include "dump_parser.h"
#include "files_and_console.h"
#include "input_lines.h"
#include "json_report.h"
#include "program_version.h"
#include "prometheus_report.h"
#include "report_output.h"
#include "shown_text.h"
#include "text_input.h"
#include "text_report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char kUsage[] =
    "usage: portdump-decode [--json | --prometheus] [FILE...]\n"
    "Reads portdump's output from each FILE, or from standard input when there is none or FILE is -,\n"
    "and says what each block is: IDENTIFY DEVICE or IDENTIFY PACKET DEVICE data, SMART data, or unknown.\n"
    "--json writes one JSON document; --prometheus writes metrics for a textfile collector.\n";

enum class Format { Text, Json, Prometheus };

struct Run {
    Format format;
    const char* source;       // the input's name in the JSON, UTF-8
    const char* shownSource;  // and on stderr and in the text report
    bool anyError;
    bool reportPending;  // on stdout, not yet flushed
};

// Errors are held on stderr until a block or failure goes to stdout, and
// that until the next error: a terminal shows both in their order, with a
// write for each change rather than for each line.
void BeginReport(Run& run)
{
    std::fflush(stderr);
    run.reportPending = true;
}

void ReportBlock(Run& run, const ParsedBlock& block)
{
    static DecodedBlock decoded;  // large: kept off the stack
    BeginReport(run);
    if (run.format == Format::Json) {
        DecodeBlock(block, run.source, decoded);
        AddJsonBlock(decoded);
    } else if (run.format == Format::Prometheus) {
        DecodeBlock(block, run.source, decoded);
        AddPrometheusBlock(decoded);
    } else {
        DecodeBlock(block, run.shownSource, decoded);
        PrintTextBlock(decoded);
    }
}

void ReportFailure(Run& run, const FailureLine& failure)
{
    if (run.format == Format::Json) {
        AddJsonFailure(run.source, failure);
    } else if (run.format == Format::Prometheus) {
        AddPrometheusFailure(failure);
    } else {
        BeginReport(run);
        PrintTextFailure(run.shownSource, failure);
    }
}

void ReportError(Run& run, LineNumber line, const char* message)
{
    run.anyError = true;
    if (run.reportPending) {
        OutFlush();
        run.reportPending = false;
    }
    if (line > 0) {
        std::fprintf(stderr, "portdump-decode: %s:%lld: %s\n", run.shownSource, line, message);
    } else {
        std::fprintf(stderr, "portdump-decode: %s: %s\n", run.shownSource, message);
    }
    if (run.format == Format::Json) {
        AddJsonError(run.source, line, message);
    } else if (run.format == Format::Prometheus) {
        AddPrometheusError();
    }
}

void Report(Run& run, const LineFindings& findings)
{
    for (int i = 0; i < findings.count; ++i) {
        const Found& found = findings.found[i];
        switch (found.kind) {
        case FoundKind::Block:
            ReportBlock(run, findings.block);
            break;
        case FoundKind::Failure:
            ReportFailure(run, findings.failure);
            break;
        case FoundKind::Error:
            ReportError(run, found.line, found.message);
            break;
        }
    }
}

// Before a read, which may wait for a pipe or a person at a terminal: the
// report so far is seen first.
void ShowReportSoFar()
{
    OutFlush();
    std::fflush(stderr);
}

// Read, parse, decode, report: a chunk of the input at a time.
void DecodeInput(Run& run, std::FILE* file)
{
    static TextInput input;  // large: kept off the stack
    static InputLines lines;
    static DumpParser parser;
    StartTextInput(input, file);
    StartLines(lines);
    StartParser(parser);
    InputLine line;
    for (;;) {
        while (NextLine(lines, line)) {
            Report(run, ParseInputLine(parser, line));
        }
        ShowReportSoFar();
        const std::size_t size = ReadText(input, lines.chunk);
        if (size == 0) {
            break;
        }
        TakeChunk(lines, size);
    }
    if (LastLine(lines, line)) {
        Report(run, ParseInputLine(parser, line));
    }
    if (std::ferror(file)) {
        ReportError(run, lines.number + 1, "read error");
    }
    Report(run, FinishInput(parser));
}

void OpenAndDecode(Run& run, const char* name)
{
    if (std::strcmp(name, "-") == 0) {
        DecodeInput(run, stdin);
        return;
    }
    std::FILE* input = OpenSource(name);
    if (input == nullptr) {
        char message[kMaxMessage];
        std::snprintf(message, sizeof message, "cannot open: %s", std::strerror(errno));
        ReportError(run, 0, message);
        return;
    }
    DecodeInput(run, input);
    std::fclose(input);
}

void DecodeSource(Run& run, const char* name)
{
    char* shown = ShownName(name);
    run.source = name;
    run.shownSource = shown != nullptr ? shown : "?";
    if (run.format == Format::Prometheus) {
        AddPrometheusSource(name);
    }
    OpenAndDecode(run, name);
    std::free(shown);
}

// What the JSON lists of each kind, when it could not list all.
void ReportLeftOut(const JsonLeftOut& leftOut)
{
    std::fprintf(stderr, "portdump-decode: the JSON lists ");
    if (leftOut.failures > 0) {
        std::fprintf(stderr, "%d of %lld failures", kMaxJsonListed, kMaxJsonListed + leftOut.failures);
    }
    if (leftOut.failures > 0 && leftOut.errors > 0) {
        std::fprintf(stderr, " and ");
    }
    if (leftOut.errors > 0) {
        std::fprintf(stderr, "%d of %lld errors", kMaxJsonListed, kMaxJsonListed + leftOut.errors);
    }
    std::fprintf(stderr, " (see \"not_listed\")\n");
}

// Everything written reached its file: a full disk or a closed pipe is no
// success, and says so.
bool OutputWritten()
{
    const bool flushed = OutFlush() && !std::ferror(stdout);
    if (std::fclose(stdout) != 0 || !flushed) {
        std::fprintf(stderr, "portdump-decode: cannot write the report to standard output\n");
        return false;
    }
    return true;
}

// The report format an option asks for, or nullptr for another option.
const Format* FormatOption(const char* option)
{
    struct FormatName {
        const char* option;
        Format format;
    };
    static const FormatName kFormats[] = {{"--json", Format::Json}, {"--prometheus", Format::Prometheus}};
    const FormatName* end = kFormats + sizeof kFormats / sizeof kFormats[0];
    const FormatName* found =
        std::find_if(kFormats, end, [option](const FormatName& entry) { return std::strcmp(option, entry.option) == 0; });
    return found != end ? &found->format : nullptr;
}

int DecodeSources(int argc, char* argv[])
{
    Run run{Format::Text, "-", "-", false, false};
    int first = 1;
    for (; first < argc && argv[first][0] == '-' && argv[first][1] != '\0'; ++first) {
        const Format* format = FormatOption(argv[first]);
        if (format != nullptr && run.format != Format::Text && run.format != *format) {
            std::fprintf(stderr, "portdump-decode: --json and --prometheus exclude each other\n%s", kUsage);
            return 2;
        }
        if (format != nullptr) {
            run.format = *format;
        } else if (std::strcmp(argv[first], "--help") == 0) {
            OutText(kUsage);
            return OutputWritten() ? 0 : 1;
        } else if (std::strcmp(argv[first], "--version") == 0) {
            OutText(PORTDUMP_VERSION_TEXT("portdump-decode"));
            return OutputWritten() ? 0 : 1;
        } else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        } else {
            char* shown = ShownName(argv[first]);
            std::fprintf(stderr, "portdump-decode: unknown option %s\n%s", shown != nullptr ? shown : "", kUsage);
            std::free(shown);
            return 2;
        }
    }

#ifdef _WIN32
    // Binary, so that a 0x1A byte does not end the input and CRs reach the parser as they are.
    _setmode(_fileno(stdin), _O_BINARY);
    // The metrics' format knows only LF line ends; collectors reject a CR.
    if (run.format == Format::Prometheus) {
        _setmode(_fileno(stdout), _O_BINARY);
    }
#endif
    if (run.format == Format::Json) {
        StartJson();
    } else if (run.format == Format::Prometheus) {
        StartPrometheus();
    }
    if (first == argc) {
        DecodeSource(run, "-");
    }
    for (int i = first; i < argc; ++i) {
        DecodeSource(run, argv[i]);
    }
    bool whole = true;
    if (run.format == Format::Json) {
        const JsonLeftOut leftOut = FinishJson();
        if (leftOut.failures + leftOut.errors > 0) {
            ReportLeftOut(leftOut);
            whole = false;
        }
    } else if (run.format == Format::Prometheus) {
        whole = FinishPrometheus();
    }
    whole = OutputWritten() && whole;
    return run.anyError || !whole ? 1 : 0;
}

// Stderr is held until there is a report to show, and shown at the end
// however the run ends: exit did not flush it under Wine's msvcrt.
int Decode(int argc, char* argv[])
{
    static char errors[1 << 14];
    std::setvbuf(stderr, errors, _IOFBF, sizeof errors);
    const int status = DecodeSources(argc, argv);
    std::fflush(stderr);
    return status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t* argv[])
{
    return Decode(argc, Utf8Arguments(argc, argv));
}
#else
int main(int argc, char* argv[])
{
    return Decode(argc, argv);
}
#endif
