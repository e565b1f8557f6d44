// The whole query against a controller whose answers come from the input:
// per port success or failure, the bytes returned and how many; the define,
// open and removal may fail too. Afterwards no temporary name may be left.
#include "controller_query.h"
#include "emulated_machine.h"
#include "fuzz_support.h"

#include <cstdint>

namespace {

// Reads the input a byte at a time; past its end every byte is 0.
struct Input {
    const std::uint8_t* data;
    std::size_t size;

    std::uint8_t Byte()
    {
        if (size == 0) {
            return 0;
        }
        --size;
        return *data++;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input{data, size};
    emulated::BootMachine(emulated::kEmptyTestMachine);
    const std::uint8_t faults = input.Byte();
    const bool siliconImage = (faults & 1) != 0;
    const int number = siliconImage ? 3114 : 7;
    const int controller = siliconImage ? emulated::AddSiliconImage(number, 4) : emulated::AddScsiPort(number, 4);
    if (faults & 2) {
        emulated::InjectFault(emulated::Fault::Define, ERROR_ACCESS_DENIED);
    }
    if (faults & 4) {
        emulated::InjectFault(emulated::Fault::Open, ERROR_ACCESS_DENIED);
    }
    if (faults & 8) {
        emulated::InjectFault(emulated::Fault::Remove, ERROR_ACCESS_DENIED);
    }
    for (int port = 0; port < 4; ++port) {
        const std::uint8_t mode = input.Byte();
        if (mode & 1) {
            emulated::InjectFault(emulated::Fault::PortRequest, ERROR_IO_DEVICE + mode, port);
            continue;
        }
        unsigned char answer[512] = {};
        const int low = input.Byte();
        const int count = (low | input.Byte() << 8) % 513;
        for (int i = 0; i < count; ++i) {
            answer[i] = input.Byte();
        }
        emulated::SetPortAnswer(controller, port, answer, count);
    }

    QueryController(number);

    if (!(faults & 8)) {
        Require(emulated::DefinitionCount("tempBusSil3114") == 0, "no temporary name left defined");
    }
    Require(emulated::OpenHandleCount() == 0, "handle closed");
    return 0;
}
