/* What `--version` says: the program, the release the build states and the
 * licence it comes under. */
#ifndef PORTDUMP_PROGRAM_VERSION_H
#define PORTDUMP_PROGRAM_VERSION_H

#define PORTDUMP_VERSION_TEXT(program)                                                   \
    program " " PORTDUMP_VERSION "\n"                                                    \
    "Copyright (c) 2026 The portdump developers\n"                                       \
    "MIT License: free to use, copy, modify and distribute; no warranty (see LICENSE).\n"

#endif
