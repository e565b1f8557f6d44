/* The names under which the tool reaches a controller's driver, and the one
 * model it reaches under another model's names. The tool, portdump-list, the
 * platforms and the stand-ins all build the names from these macros and read
 * them back with the functions below (device_names.c). The names are plain C
 * macros, so that the kernel-mode stand-in driver can join them into wide
 * literals. */
#ifndef PORTDUMP_DEVICE_NAMES_H
#define PORTDUMP_DEVICE_NAMES_H

/* Each name of a number n, as a literal for a constant n, e.g.
 * SCSI_PORT_NAME(5); for a run-time number the same macro of %d is the
 * printf format, e.g. SCSI_PORT_NAME(%d). */

/* SCSI ports 0 to 31: the DOS device name each port driver defines, and the
 * device object it names (the stand-ins' name; Windows' drivers choose their
 * own). */
#define SCSI_PORT_NAME_PREFIX "Scsi"
#define SCSI_PORT_NAME_SUFFIX ":"
#define SCSI_PORT_NAME(n) SCSI_PORT_NAME_PREFIX #n SCSI_PORT_NAME_SUFFIX
#define SCSI_PORT_DEVICE(n) "\\Device\\ScsiPort" #n
#define SCSI_PORT_NUMBER_LIMIT 32

/* A SiliconImage driver's device object for model m lies in the object
 * directory \Device\Scsi; the tool gives it a temporary DOS device name for
 * the run. */
#define SIL_DIRECTORY "\\Device\\Scsi"
#define SIL_OBJECT_PREFIX "SI"
#define SIL_OBJECT_SUFFIX "1"
#define SIL_OBJECT(m) SIL_OBJECT_PREFIX #m SIL_OBJECT_SUFFIX
#define SIL_DEVICE(m) SIL_DIRECTORY "\\" SIL_OBJECT(m)
#define SIL_TEMPORARY_NAME(m) "tempBusSil" #m

/* The 3512 is served by the 3112's driver, under the 3112's names. */
#define SIL_ALIAS_MODEL 3512
#define SIL_ALIAS_SERVED_AS 3112

/* A DOS device name is opened as this prefix and the name. */
#define DOS_DEVICE_PATH_PREFIX "\\\\.\\"

/* A buffer that holds any of these names or paths with its NUL: Windows'
 * MAX_PATH. */
#define DEVICE_NAME_SIZE 260

#ifdef __cplusplus
extern "C" {
#endif

/* Whether two names are one to the object manager: the same but for the
 * case of ASCII letters, the only letters these names hold. */
int SameDeviceName(const char* a, const char* b);

/* Whether NAME begins with BEGINNING, compared as SameDeviceName does. */
int DeviceNameBegins(const char* name, const char* beginning);

/* The number of a name built by the macros above, or -1 for any other name:
 * n of SCSI_PORT_NAME(n), m of SIL_OBJECT(m) and of SIL_DEVICE(m). Only the
 * number as %d writes it reads back: decimal, no sign, no leading zero, at
 * most INT_MAX. */
int ScsiPortNameNumber(const char* name);
int SilObjectModel(const char* object);
int SilDeviceModel(const char* device);

/* The object directory PATH lies in, "\Device" of "\Device\Scsi"; false
 * at the root, for a name with no directory, or one too long. */
int ObjectDirectory(const char* path, char directory[DEVICE_NAME_SIZE]);

/* The controller number whose names reach controller number NUMBER: the
 * 3512's are the 3112's, any other number's its own. */
int ServedNumber(int number);

/* The other number served under NUMBER's names (3512 for 3112), or -1. */
int AliasNumber(int number);

#ifdef __cplusplus
}
#endif

#endif
