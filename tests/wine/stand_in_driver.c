/* A kernel-mode stand-in for the storage drivers the tool talks to: SCSI port
 * devices with ScsiN: links and SiliconImage device objects under \Device\Scsi,
 * answering the "CMD_IDE " miniport request. Every request is checked byte by
 * byte; a malformed one is answered with a block that names what was wrong, so
 * it can never pass as a right one. */
#include <ntddk.h>
#include <ntddscsi.h>

#include "identify_block.h"

#define REQUEST_SIZE 564
#define DATA_OFFSET 52
#define PORT_COUNT 4
#define SHORT_ANSWER_BYTES 100
/* Long enough for a test to interrupt the tool while it waits. */
#define SLOW_PORT_SECONDS 4

enum PortBehaviour { PORT_FAILS, PORT_DISK, PORT_SHORT, PORT_SLOW };

struct StandIn {
    const wchar_t* device;
    /* The SCSI port driver's own DOS name. The SiliconImage driver has none:
     * the tool defines tempBusSilN itself. But Wine 8's DefineDosDevice
     * garbles names longer than two characters, so here the stand-in links
     * those names too, and the tool's open of \\.\tempBusSilN reaches it. */
    const wchar_t* link;
    enum PortBehaviour ports[PORT_COUNT];
    struct DiskIdentity disks[PORT_COUNT];
};

static const struct StandIn standIns[] = {
    {L"\\Device\\ScsiPort0", L"\\DosDevices\\Scsi0:", {PORT_DISK, PORT_FAILS, PORT_DISK, PORT_SHORT},
     {{"WINE0P0", "8.00", "PORTDUMP WINE DISK 0", 1000215216ull}, {0, 0, 0, 0},
      {"WINE0P2", "8.00", "PORTDUMP WINE DISK 2", 250069680ull}, {0, 0, 0, 0}}},
    {L"\\Device\\ScsiPort5", L"\\DosDevices\\Scsi5:", {PORT_FAILS, PORT_FAILS, PORT_FAILS, PORT_FAILS}, {{0}}},
    {L"\\Device\\Scsi\\SI31121", L"\\DosDevices\\tempBusSil3112", {PORT_DISK, PORT_FAILS, PORT_FAILS, PORT_FAILS},
     {{"WINESIL0", "2.10", "PORTDUMP WINE SATA 0", 156301488ull}}},
    {L"\\Device\\Scsi\\SI31141", L"\\DosDevices\\tempBusSil3114", {PORT_FAILS, PORT_DISK, PORT_FAILS, PORT_FAILS},
     {{0, 0, 0, 0}, {"WINESIL1", "3.02", "PORTDUMP WINE SATA 1", 1953525168ull}}},
    /* Port 0 answers only after SLOW_PORT_SECONDS: the Ctrl+C test's port. */
    {L"\\Device\\Scsi\\SI31321", L"\\DosDevices\\tempBusSil3132", {PORT_SLOW, PORT_FAILS, PORT_FAILS, PORT_FAILS},
     {{"WINESLOW", "1.00", "PORTDUMP WINE SLOW", 1000000ull}}},
};
#define STAND_IN_COUNT (sizeof standIns / sizeof standIns[0])

/* The request as the tool must send it, port number aside (offset 28). */
static const unsigned char expectedHeader[DATA_OFFSET] = {
    28, 0, 0, 0, 'C', 'M', 'D', '_', 'I', 'D', 'E', ' ', 5, 0, 0, 0, 0x08, 0x20, 0x04, 0x00,
    0xff, 0xff, 0xff, 0xff, 0x18, 0x02, 0, 0, 0, 0, 1, 0,
};

static HANDLE scsiDirectory;

static void InitName(UNICODE_STRING* name, const wchar_t* text)
{
    RtlInitUnicodeString(name, text);
}

/* Writes `text` and then `number` in decimal into the block. */
static void Complain(unsigned char* block, const char* text, unsigned number)
{
    char digits[10];
    int count = 0;
    int at = 0;
    while (*text != '\0') {
        block[at++] = (unsigned char)*text++;
    }
    do {
        digits[count++] = (char)('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0) {
        block[at++] = (unsigned char)digits[--count];
    }
}

/* Returns 1 when the request is exactly what the tool must send. */
static int CheckRequest(const unsigned char* request, ULONG inSize, ULONG outSize, unsigned char* data)
{
    ULONG i;
    if (inSize != REQUEST_SIZE) {
        Complain(data, "BAD INPUT SIZE ", inSize);
        return 0;
    }
    if (outSize != REQUEST_SIZE) {
        Complain(data, "BAD OUTPUT SIZE ", outSize);
        return 0;
    }
    for (i = 0; i < REQUEST_SIZE; ++i) {
        unsigned char expected = i < DATA_OFFSET ? expectedHeader[i] : 0;
        int portByte = i == 28 && request[i] < PORT_COUNT;
        if (!portByte && request[i] != expected) {
            Complain(data, "BAD BYTE AT OFFSET ", i);
            return 0;
        }
    }
    return 1;
}

static NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* Opens and closes succeed whatever the share mode, as with a real storage
 * port driver. */
static NTSTATUS DispatchCreateClose(DEVICE_OBJECT* device, IRP* irp)
{
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS DispatchControl(DEVICE_OBJECT* device, IRP* irp)
{
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const struct StandIn* standIn = *(const struct StandIn**)device->DeviceExtension;
    unsigned char* buffer = irp->AssociatedIrp.SystemBuffer;
    unsigned port;

    if (stack->Parameters.DeviceIoControl.IoControlCode != IOCTL_SCSI_MINIPORT || buffer == NULL) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    if (stack->Parameters.DeviceIoControl.InputBufferLength < DATA_OFFSET ||
        stack->Parameters.DeviceIoControl.OutputBufferLength < REQUEST_SIZE) {
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    if (!CheckRequest(buffer, stack->Parameters.DeviceIoControl.InputBufferLength,
                      stack->Parameters.DeviceIoControl.OutputBufferLength, buffer + DATA_OFFSET)) {
        return Complete(irp, STATUS_SUCCESS, REQUEST_SIZE);
    }
    port = buffer[28];
    switch (standIn->ports[port]) {
    case PORT_SLOW: {
        LARGE_INTEGER delay;
        delay.QuadPart = -10000000LL * SLOW_PORT_SECONDS; /* relative, in 100 ns */
        KeDelayExecutionThread(KernelMode, FALSE, &delay);
        BuildIdentifyBlock(&standIn->disks[port], buffer + DATA_OFFSET);
        break;
    }
    case PORT_DISK:
        BuildIdentifyBlock(&standIn->disks[port], buffer + DATA_OFFSET);
        break;
    case PORT_SHORT: {
        unsigned i;
        for (i = 0; i < SHORT_ANSWER_BYTES; ++i) {
            buffer[DATA_OFFSET + i] = (unsigned char)('A' + i % 26);
        }
        buffer[20] = buffer[21] = buffer[22] = buffer[23] = 0; /* ReturnCode */
        return Complete(irp, STATUS_SUCCESS, DATA_OFFSET + SHORT_ANSWER_BYTES);
    }
    default:
        return Complete(irp, STATUS_IO_DEVICE_ERROR, 0);
    }
    buffer[20] = buffer[21] = buffer[22] = buffer[23] = 0; /* ReturnCode */
    return Complete(irp, STATUS_SUCCESS, REQUEST_SIZE);
}

static void DriverUnload(DRIVER_OBJECT* driver)
{
    unsigned i;
    for (i = 0; i < STAND_IN_COUNT; ++i) {
        if (standIns[i].link != NULL) {
            UNICODE_STRING link;
            InitName(&link, standIns[i].link);
            IoDeleteSymbolicLink(&link);
        }
    }
    while (driver->DeviceObject != NULL) {
        IoDeleteDevice(driver->DeviceObject);
    }
    if (scsiDirectory != NULL) {
        ZwClose(scsiDirectory);
    }
}

NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    NTSTATUS status;
    unsigned i;
    (void)registryPath;

    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;

    InitName(&name, L"\\Device\\Scsi");
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_OPENIF, NULL, NULL);
    status = ZwCreateDirectoryObject(&scsiDirectory, DIRECTORY_ALL_ACCESS, &attributes);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    for (i = 0; i < STAND_IN_COUNT; ++i) {
        DEVICE_OBJECT* device;
        InitName(&name, standIns[i].device);
        status = IoCreateDevice(driver, sizeof(const struct StandIn*), &name, FILE_DEVICE_CONTROLLER, 0, FALSE,
                                &device);
        if (!NT_SUCCESS(status)) {
            DriverUnload(driver);
            return status;
        }
        *(const struct StandIn**)device->DeviceExtension = &standIns[i];
        device->Flags |= DO_BUFFERED_IO;
        device->Flags &= ~DO_DEVICE_INITIALIZING;
        if (standIns[i].link != NULL) {
            UNICODE_STRING link;
            InitName(&link, standIns[i].link);
            status = IoCreateSymbolicLink(&link, &name);
            if (!NT_SUCCESS(status)) {
                DriverUnload(driver);
                return status;
            }
        }
    }
    return STATUS_SUCCESS;
}
