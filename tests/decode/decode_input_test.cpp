// portdump-decode on what users really hand it: files saved by Windows tools,
// damaged pastes, binary bytes, endless lines, and a full disk to write to.
#include "program_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>

namespace {

// The text as UTF-16 with its byte order mark, as PowerShell 5.1 saves it.
std::string Utf16(const std::u16string& text, bool little)
{
    std::string bytes = little ? "\xff\xfe" : "\xfe\xff";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

std::u16string Widened(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::string CrLf(const std::string& text)
{
    std::string converted;
    for (const char c : text) {
        converted += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return converted;
}

TEST(DecodeInput, WindowsFilesDecodeAsThePlainText)
{
    const std::string dump = BlockAsPortdumpOutput("Samsung_SSD_860_EVO_500GB.bin");
    const ProgramRun plain = RunProgram(kDecoder, {}, dump);
    ASSERT_EQ(plain.out.substr(0, 47), "== -, port 0 (line 2): IDENTIFY DEVICE, checksu");

    // PowerShell 5.1's "portdump 0 > dump.txt": UTF-16LE, CR LF; the failure
    // line's Japanese "引数..." (U+5F15 U+6570) only matches when converted right.
    const std::u16string usage = u"\u5f15\u6570\u306b SCSI \u30dd\u30fc\u30c8\u756a\u53f7\r\n";
    for (const bool little : {true, false}) {
        const ProgramRun run = RunProgram(kDecoder, {}, Utf16(Widened(CrLf(dump)) + usage, little));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, plain.out + "== - (line 35): usage message\n"
                                       "  Meaning             portdump was not given exactly one argument\n\n")
            << (little ? "UTF-16LE" : "UTF-16BE");
    }

    // Notepad's UTF-8 with a byte order mark: the port line is still the first.
    const ProgramRun bom = RunProgram(kDecoder, {}, "\xef\xbb\xbf" + dump);
    EXPECT_EQ(bom.status, 0);
    EXPECT_EQ(bom.out, plain.out);

}

// What Windows tools and old editors make of a saved dump: each decodes as
// the plain text does, with the same line numbers.
TEST(DecodeInput, Issue22SavedAndJoinedFiles)
{
    const std::string dump = BlockAsPortdumpOutput("Samsung_SSD_860_EVO_500GB.bin");
    const std::string plain = RunProgram(kDecoder, {}, dump + dump).out;
    std::string crOnly = CrLf(dump + dump);
    crOnly.erase(std::remove(crOnly.begin(), crOnly.end(), '\n'), crOnly.end());
    const std::string utf16 = Utf16(Widened(CrLf(dump)), true);
    const std::string inputs[] = {
        Utf16(Widened(dump + dump), true).substr(2),  // UTF-16LE without its byte order mark
        Utf16(Widened(dump + dump), false).substr(2),
        crOnly,
        dump + dump + "\x1a",                           // copy's ^Z at the end
        dump + "\xef\xbb\xbf" + dump,                   // cat a.txt b.txt, UTF-8 with marks
        utf16 + utf16,                                  // the same of UTF-16 files
    };
    for (const std::string& input : inputs) {
        const ProgramRun run = RunProgram(kDecoder, {}, input);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, plain) << &input - inputs;
    }
}

TEST(DecodeInput, ABinaryByteCostsItsLineOnly)
{
    // A NUL and a 0x1A (end of file to a text-mode Windows read).
    const std::string dump = BlockAsPortdumpOutput("ST3160023AS.bin");
    for (const std::string& bad : {std::string("x\0y", 3), std::string("x\x1ay")}) {
        const ProgramRun run = RunProgram(kDecoder, {}, bad + "\n" + dump + bad + "\n" + dump);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "portdump-decode: -:1: not a line of portdump's output\n"
                           "portdump-decode: -:36: not a line of portdump's output\n");
        EXPECT_EQ(Count(run.out, "IDENTIFY DEVICE"), 2u) << run.out;
        EXPECT_NE(run.out.find("== -, port 0 (line 38): IDENTIFY DEVICE"), std::string::npos) << run.out;
    }
}

TEST(DecodeInput, LinesOfAnyLength)
{
    std::string dump = BlockAsPortdumpOutput("Maxtor_96147H8.bin");
    // A valid line padded far past any buffer, before and after its text.
    const std::size_t line = dump.find("\n0a0:") + 1;
    dump.insert(dump.find('\n', line), std::string(70000, ' ') + "\t\r");
    dump.insert(line, std::string(3000, '\t'));
    const std::string junk(100000, 'x');
    const ProgramRun run = RunProgram(kDecoder, {}, junk + "\n" + dump + junk);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "portdump-decode: -:1: line too long for portdump's output\n"
                       "portdump-decode: -:36: line too long for portdump's output\n");
    EXPECT_NE(run.out.find("== -, port 0 (line 3): IDENTIFY DEVICE, checksum correct\n  Model               Maxtor"),
              std::string::npos)
        << run.out.substr(0, 200);

    // The longest line taken (blanks inside count), and one byte more.
    std::string longest = BlockAsPortdumpOutput("ST3160023AS.bin");
    const std::size_t first = longest.find("\n000:") + 5;
    longest.insert(first, std::string(kMaxLineLength - (longest.find('\n', first) - first + 4), ' '));
    std::string tooLong = longest;
    tooLong.insert(first, " ");
    const ProgramRun edge = RunProgram(kDecoder, {}, longest + tooLong);
    const std::string tooLongError = "portdump-decode: -:36: line too long for portdump's output\n";
    EXPECT_EQ(edge.err.substr(0, tooLongError.size()), tooLongError);
    EXPECT_EQ(Count(edge.out, "IDENTIFY DEVICE"), 1u) << edge.out;
}

TEST(DecodeInput, ManyBlocksAcrossTheReadsAreAllDecoded)
{
    // 3000 blocks, about 7 MB: lines fall across every boundary of the reads.
    std::string text;
    const std::string dumps[] = {BlockAsPortdumpOutput("Maxtor_96147H8.bin"),
                                 CrLf(BlockAsPortdumpOutput("ST3160023AS.bin")),
                                 BlockAsPortdumpOutput("smart-SAMSUNG_HD501LJ.bin")};
    for (int i = 0; i < 3000; ++i) {
        text += dumps[i % 3];
    }
    const ProgramRun run = RunProgram(kDecoder, {}, text);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Count(run.out, "IDENTIFY DEVICE, checksum correct"), 2000u);
    EXPECT_EQ(Count(run.out, "SMART data, checksum correct"), 1000u);
    EXPECT_NE(run.out.find("== -, port 0 (line 101968): SMART data"), std::string::npos) << "34 lines a block";
}

// The decoder with its output on a full disk.
int RunToFullDisk(const std::vector<std::string>& arguments, std::string& err)
{
    const TextFile errors("", "full_disk.err");
    std::string command = kDecoder;
    for (const std::string& argument : arguments) {
        command += " " + argument;
    }
    const int status = std::system((command + " >/dev/full 2>" + errors.path).c_str());
    err = ReadFile(errors.path);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DecodeOutput, AWriteErrorIsReportedAndFails)
{
    const TextFile dump(BlockAsPortdumpOutput("SAMSUNG_HD501LJ.bin"), "full_disk.txt");
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{dump.path},
                                                      std::vector<std::string>{"--json", dump.path}}) {
        std::string err;
        EXPECT_EQ(RunToFullDisk(arguments, err), 1) << arguments[0];
        EXPECT_EQ(err, "portdump-decode: cannot write the report to standard output\n");
    }
}

TEST(DecodeOutput, JsonSaysWhatItLeavesOut)
{
    std::string text;
    for (int port = 0; port < 300; ++port) {
        text += "CreateFile(\\\\.\\Scsi" + std::to_string(port) + ":)GetLastError=2\n";
    }
    const ProgramRun run = RunProgram(kDecoder, {"--json"}, text);
    EXPECT_EQ(run.status, 1) << "the document is not whole";
    EXPECT_EQ(run.err, "portdump-decode: the JSON lists 256 of 300 failures (see \"not_listed\")\n");
    EXPECT_EQ(Count(run.out, "\"step\": \"CreateFile\""), 256u);
    EXPECT_NE(run.out.find("\"path\": \"\\\\\\\\.\\\\Scsi255:\""), std::string::npos);
    const std::string end = "\n], \"errors\": [], \"not_listed\": {\"failures\": 44, \"errors\": 0}}\n";
    EXPECT_EQ(run.out.substr(run.out.size() - end.size()), end);
}

// A model string of the Maxtor's with bytes no drive should send.
std::string MaxtorWithModel(const std::string& model)
{
    std::string bytes = ReadFile(kHere + "/data/Maxtor_96147H8.bin");
    for (std::size_t i = 0; i < 40; ++i) {
        bytes[54 + (i ^ 1)] = i < model.size() ? model[i] : ' ';
    }
    return PortText(0, reinterpret_cast<const unsigned char*>(bytes.data()));
}

TEST(DecodeOutput, TextShowsControlBytesAsEscapes)
{
    // An escape sequence that clears the screen and a line that forges a heading.
    const ProgramRun run = RunProgram(kDecoder, {}, MaxtorWithModel("A\x1b[2J\n== x\x7f\xe9"));
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_NE(run.out.find("\n  Model               A\\x1b[2J\\x0a== x\\x7f\\xe9\n"), std::string::npos) << run.out;
    EXPECT_EQ(Count(run.out, "\n=="), 0u);

    const TextFile named(BlockAsPortdumpOutput("ST3160023AS.bin"), "esc\x1b]0;name\x07.txt");
    const ProgramRun file = RunProgram(kDecoder, {named.path});
    EXPECT_NE(file.out.find("esc\\x1b]0;name\\x07.txt, port 0 (line 2)"), std::string::npos) << file.out;
}

TEST(DecodeOutput, JsonStringsAreValidUtf8)
{
    // UTF-8 passes through; other bytes become U+FFFD, never Latin-1 guesses.
    const TextFile named(BlockAsPortdumpOutput("ST3160023AS.bin"), "dump-\xc3\xa9\xe3\x83\x87-\xff\xc3.txt");
    const ProgramRun run = RunProgram(kDecoder, {"--json", named.path});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("dump-\xc3\xa9\xe3\x83\x87-\\ufffd\\ufffd.txt\", \"port\": 0"), std::string::npos)
        << run.out;

    const ProgramRun model = RunProgram(kDecoder, {"--json"}, MaxtorWithModel("A\x1b\xe9\xc3\xa9\xed\xa0\x80\xc0\xaf"));
    // ESC escaped, a lone E9, a valid é, a UTF-16 surrogate and an overlong '/' as UTF-8 refused.
    EXPECT_NE(model.out.find("\"model\": \"A\\u001b\\ufffd\xc3\xa9\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\""),
              std::string::npos)
        << model.out;
}

TEST(DecodeOutput, Issue22NothingFromTheInputActsOnTheTerminal)
{
    // CSI as U+009B and as a raw byte, and a right-to-left override, in a
    // failure line's path and a drive's model.
    const std::string failure = "CreateFile(\\\\.\\Scsi\xc2\x9b" "2J\x9b" "2J\xe2\x80\xae" "1:)x GetLastError=2\n";
    const ProgramRun run = RunProgram(kDecoder, {}, failure + MaxtorWithModel("A\x9b" "2J\xc2\x9b"));
    EXPECT_NE(run.out.find("CreateFile(\\\\.\\Scsi\\xc2\\x9b2J\\x9b2J\\xe2\\x80\\xae1:) failed"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  Model               A\\x9b2J\\xc2\\x9b\n"), std::string::npos) << run.out;
}

TEST(DecodeOutput, Issue22StderrAndExitStatus)
{
    // A file that is not there: named alike with and without --json, and why.
    const std::string missing = "/nonexistent/d\x1b[2J.txt";
    const std::string error = "portdump-decode: /nonexistent/d\\x1b[2J.txt: cannot open: No such file or directory\n";
    EXPECT_EQ(RunProgram(kDecoder, {missing}).err, error);
    const ProgramRun json = RunProgram(kDecoder, {"--json", missing});
    EXPECT_EQ(json.err, error);
    EXPECT_NE(json.out.find("\"line\": null, \"message\": \"cannot open"), std::string::npos) << json.out;

    std::string err;
    EXPECT_EQ(RunToFullDisk({"--help"}, err), 1);
    EXPECT_EQ(err, "portdump-decode: cannot write the report to standard output\n");
}

}  // namespace
