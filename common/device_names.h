/* The names under which the tool reaches a controller's driver, and the one
 * model it reaches under another model's names. The tool, portdump-list, the
 * platforms and the stand-ins all build or read the names from here. Plain C
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
#define SCSI_PORT_NAME(n) SCSI_PORT_NAME_PREFIX #n ":"
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

#endif
