#pragma once

// Asks each of the ports 0 to 3 of the controller that `number` names (a SCSI
// port number, or a SiliconImage model number) for its block and dumps every
// answer to stdout; every failure is reported there too.
void QueryController(int number);
