/* A kernel-mode stand-in for the storage drivers the tool talks to: SCSI port
 * devices with ScsiN: links and SiliconImage device objects under \Device\Scsi,
 * each with the fake miniport behind it. */
#include "device_names.h"
#include "fake_miniport.h"

/* The slow port keeps the tool waiting long enough for a test to interrupt it. */
#define SLOW_PORT_SECONDS 4

static const struct DiskIdentity scsi0Port0 = {"WINE0P0", "8.00", "PORTDUMP WINE DISK 0", 1000215216ull};
static const struct DiskIdentity scsi0Port2 = {"WINE0P2", "8.00", "PORTDUMP WINE DISK 2", 250069680ull};
static const struct DiskIdentity sil3112Port0 = {"WINESIL0", "2.10", "PORTDUMP WINE SATA 0", 156301488ull};
static const struct DiskIdentity sil3114Port1 = {"WINESIL1", "3.02", "PORTDUMP WINE SATA 1", 1953525168ull};
static const struct DiskIdentity sil3132Port0 = {"WINESLOW", "1.00", "PORTDUMP WINE SLOW", 1000000ull};
/* A port that answers only the first 100 bytes of its block. */
static const unsigned char shortAnswer[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUV";

struct StandIn {
    const wchar_t* device;
    /* The SCSI port driver's own DOS name. The SiliconImage driver has none:
     * the tool defines tempBusSilN itself. Wine 8 garbles such names
     * (tests/README.md), so here the stand-in links them too, and the
     * tool's open of \\.\tempBusSilN reaches it. */
    const wchar_t* link;
    struct FakePort ports[CMD_IDE_PORT_COUNT];
};

/* The device object and DOS link of SCSI port n and of SiliconImage model m. */
#define SCSI_PORT_STAND_IN(n) L"" SCSI_PORT_DEVICE(n), L"\\DosDevices\\" SCSI_PORT_NAME(n)
#define SIL_STAND_IN(m) L"" SIL_DEVICE(m), L"\\DosDevices\\" SIL_TEMPORARY_NAME(m)

static const struct StandIn standIns[] = {
    {SCSI_PORT_STAND_IN(0),
     {{&scsi0Port0, 0, 0, 0, 0}, {0}, {&scsi0Port2, 0, 0, 0, 0}, {0, shortAnswer, sizeof shortAnswer - 1, 0, 0}}},
    {SCSI_PORT_STAND_IN(5), {{0}}},
    {SIL_STAND_IN(3112), {{&sil3112Port0, 0, 0, 0, 0}}},
    {SIL_STAND_IN(3114), {{0}, {&sil3114Port1, 0, 0, 0, 0}}},
    /* The Ctrl+C test's port. */
    {SIL_STAND_IN(3132), {{&sil3132Port0, 0, 0, 0, SLOW_PORT_SECONDS}}},
};
#define STAND_IN_COUNT (sizeof standIns / sizeof standIns[0])

static HANDLE scsiDirectory;

static void InitName(UNICODE_STRING* name, const wchar_t* text)
{
    RtlInitUnicodeString(name, text);
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
    const ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    struct FakeAnswer answer;

    if (stack->Parameters.DeviceIoControl.IoControlCode != IOCTL_SCSI_MINIPORT || buffer == NULL) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    /* The system buffer is as large as the larger of the two buffers. */
    if ((inSize > outSize ? inSize : outSize) < CMD_IDE_REQUEST_SIZE) {
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    answer = FakeMiniportAnswer(standIn->ports, CMD_IDE_PORT_COUNT, buffer, inSize, outSize);
    switch (answer.outcome) {
    case FAKE_ANSWERED:
        if (answer.delaySeconds != 0) {
            LARGE_INTEGER delay;
            delay.QuadPart = -10000000LL * answer.delaySeconds; /* relative, in 100 ns */
            KeDelayExecutionThread(KernelMode, FALSE, &delay);
        }
        return Complete(irp, STATUS_SUCCESS, answer.information);
    case FAKE_NO_DEVICE:
        return Complete(irp, STATUS_IO_DEVICE_ERROR, 0);
    default:
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
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

    InitName(&name, L"" SIL_DIRECTORY);
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
