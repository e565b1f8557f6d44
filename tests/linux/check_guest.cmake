# Judges a guest by what it printed (run_guest.sh left N.out, portdump's
# output, and N.json, portdump-decode --json of it, for each run N in WORK).
# usage: cmake -DWORK=... -DCHECK=<guest>_<what> -P check_guest.cmake
# The models and serials are the ones the guest's QEMU command line sets.

if(NOT EXISTS ${WORK}/transcript.txt)
  message(FATAL_ERROR "the guest did not run")
endif()
set(problems "")
macro(fail text)
  string(APPEND problems "${text}\n")
endmacro()

function(read_json run result)
  if(NOT EXISTS ${WORK}/${run}.json)
    message(FATAL_ERROR "the guest printed nothing for portdump ${run}")
  endif()
  file(READ ${WORK}/${run}.json document)
  string(JSON count ERROR_VARIABLE problem LENGTH "${document}" blocks)
  if(problem)
    message(FATAL_ERROR "portdump ${run}: the decoder's output is no document: ${problem}\n${document}")
  endif()
  set(${result} "${document}" PARENT_SCOPE)
endfunction()

# The ports in the order portdump printed them, and none but these.
function(expect_ports run)
  read_json(${run} document)
  file(STRINGS ${WORK}/${run}.out printed REGEX "^Port [0-9]+$")
  string(REPLACE "Port " "" printed "${printed}")
  set(decoded "")
  string(JSON count LENGTH "${document}" blocks)
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      string(JSON port GET "${document}" blocks ${i} port)
      list(APPEND decoded ${port})
    endforeach()
  endif()
  if(NOT printed STREQUAL "${ARGN}" OR NOT decoded STREQUAL "${ARGN}")
    fail("portdump ${run}: ports '${printed}' printed, '${decoded}' decoded, not '${ARGN}'")
  endif()
  string(JSON failures LENGTH "${document}" failures)
  string(JSON errors LENGTH "${document}" errors)
  if(NOT failures EQUAL 0 OR NOT errors EQUAL 0)
    fail("portdump ${run}: ${failures} failures, ${errors} errors in ${document}")
  endif()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

function(block_of document port result)
  string(JSON count LENGTH "${document}" blocks)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON at GET "${document}" blocks ${i} port)
    if(at EQUAL port)
      string(JSON block GET "${document}" blocks ${i})
      set(${result} "${block}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} "" PARENT_SCOPE)
endfunction()

# The decoder's kind of the port's block, and for identify data its model and serial.
function(expect_block run port kind)
  read_json(${run} document)
  block_of("${document}" ${port} block)
  if(block STREQUAL "")
    fail("portdump ${run}: no block for port ${port}")
  else()
    string(JSON got GET "${block}" kind)
    if(NOT got STREQUAL kind)
      fail("portdump ${run} port ${port}: kind ${got}, not ${kind}")
    endif()
    if(kind STREQUAL "identify")
      string(JSON model GET "${block}" identify model)
      string(JSON serial GET "${block}" identify serial)
      if(NOT model STREQUAL "${ARGV3}" OR NOT serial STREQUAL "${ARGV4}")
        fail("portdump ${run} port ${port}: model '${model}' serial '${serial}', not '${ARGV3}' '${ARGV4}'")
      endif()
    endif()
  endif()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

# ATA string of words FIRST to LAST of BYTES (the first character of each
# word in its high byte), without the blanks that pad it.
function(ata_string bytes first last result)
  set(text "")
  math(EXPR from "${first} * 2")
  math(EXPR to "${last} * 2 + 1")
  foreach(i RANGE ${from} ${to} 2)
    math(EXPR high "${i} + 1")
    foreach(at ${high} ${i})
      list(GET bytes ${at} value)
      string(ASCII ${value} character)
      string(APPEND text "${character}")
    endforeach()
  endforeach()
  string(STRIP "${text}" text)
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

# Read from portdump's own dump, whatever the decoder makes of it: an
# IDENTIFY PACKET DEVICE block (word 0 bits 15:14 = 10b) of this model and serial.
function(expect_packet_dump run port model serial)
  file(STRINGS ${WORK}/${run}.out lines)
  list(FIND lines "Port ${port}" at)
  if(at LESS 0)
    fail("portdump ${run}: no port ${port}")
    set(problems "${problems}" PARENT_SCOPE)
    return()
  endif()
  set(bytes "")
  math(EXPR first "${at} + 1")
  math(EXPR last "${at} + 32")
  foreach(i RANGE ${first} ${last})
    list(GET lines ${i} line)
    string(SUBSTRING "${line}" 5 47 pairs)
    string(REPLACE " " ";" pairs "${pairs}")
    foreach(pair ${pairs})
      math(EXPR value "0x${pair}")
      list(APPEND bytes ${value})
    endforeach()
  endforeach()
  list(GET bytes 1 word0high)
  math(EXPR kind "${word0high} >> 6")
  ata_string("${bytes}" 27 46 gotModel)
  ata_string("${bytes}" 10 19 gotSerial)
  if(NOT kind EQUAL 2 OR NOT gotModel STREQUAL model OR NOT gotSerial STREQUAL serial)
    fail("portdump ${run} port ${port}: word 0 bits 15:14 = ${kind}, model '${gotModel}', serial '${gotSerial}'")
  endif()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

# One failure line: the step that failed, its error, and where MEANING is
# given, a pattern the decoder's meaning of it matches.
function(expect_failure run step error)
  read_json(${run} document)
  string(JSON blocks LENGTH "${document}" blocks)
  string(JSON failures LENGTH "${document}" failures)
  if(NOT blocks EQUAL 0 OR NOT failures EQUAL 1)
    fail("portdump ${run}: ${blocks} blocks and ${failures} failures, not one failure")
  else()
    string(JSON gotStep GET "${document}" failures 0 step)
    string(JSON gotError GET "${document}" failures 0 error)
    string(JSON meaning GET "${document}" failures 0 meaning)
    if(NOT gotStep STREQUAL step OR NOT gotError EQUAL error)
      fail("portdump ${run}: ${gotStep} failed with ${gotError}, not ${step} with ${error}")
    elseif(ARGC GREATER 3 AND NOT meaning MATCHES "${ARGV3}")
      fail("portdump ${run}: the meaning '${meaning}' does not say '${ARGV3}'")
    endif()
  endif()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

# portdump-list's output, as root and as nobody alike: the lines given, the
# sg numbers (probe order, not stable) as sgN.
function(expect_listing)
  string(JOIN "\n" expected ${ARGN})
  foreach(who root nobody)
    file(READ ${WORK}/list-${who}.out listing)
    string(REGEX REPLACE "sg[0-9]+" "sgN" listing "${listing}")
    if(NOT listing STREQUAL "${expected}\n")
      fail("portdump-list as ${who}:\n${listing}not:\n${expected}")
    endif()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

if(CHECK STREQUAL "x86_64_ports")
  # Controllers in PCI order: 0 PIIX IDE, 1 AHCI, 2 LSI, 3 virtio-scsi; the
  # xHCI between them is none. Only ATA devices answer; AHCI port 5 is never
  # asked.
  expect_ports(0 0 1 2)
  expect_ports(1 0 2)
  expect_ports(2)
  expect_ports(3)
  expect_failure(4 CreateFile 2)
  expect_block(0 0 identify "PORTDUMP PIIX MASTER" "PIIX-MASTER-SN")
  expect_block(0 1 identify "PORTDUMP PIIX SLAVE" "PIIX-SLAVE-SN")
  expect_packet_dump(0 2 "PORTDUMP PIIX DVD" "PIIX-DVD-SN")
  expect_block(1 0 identify "PORTDUMP AHCI PORT 0" "AHCI-P0-SN")
  expect_block(1 2 identify "PORTDUMP AHCI PORT 2" "AHCI-P2-SN")
  expect_failure(3512 CreateFile 3)
  expect_failure(nobody:1 CreateFile 5)
  expect_failure(userns:1 CreateFile 5)
  expect_failure(nosg:1 CreateFile 1062 "modprobe sg")
elseif(CHECK STREQUAL "x86_64_dvd_kind")
  expect_block(0 2 identify_packet)
elseif(CHECK STREQUAL "x86_64_list")
  # The guest's PCI functions and its QEMU devices: PIIX3 IDE 8086:7010,
  # ICH9 AHCI 8086:2922, LSI 53C895A 1000:0012, transitional virtio-scsi
  # 1af4:1004; libata keeps 16 characters of the ATA model; QEMU's ATAPI and
  # SCSI devices answer INQUIRY as QEMU's own.
  expect_listing(
    "0  0000:00:01.1  8086:7010  ata_piix"
    "    port 0  sgN  Direct-Access  ATA  PORTDUMP PIIX MA"
    "    port 1  sgN  Direct-Access  ATA  PORTDUMP PIIX SL"
    "    port 2  sgN  CD-ROM  QEMU  QEMU DVD-ROM"
    "1  0000:00:05.0  8086:2922  ahci"
    "    port 0  sgN  Direct-Access  ATA  PORTDUMP AHCI PO"
    "    port 2  sgN  Direct-Access  ATA  PORTDUMP AHCI PO"
    "2  0000:00:06.0  1000:0012  sym53c8xx"
    "    port 3  sgN  Direct-Access  QEMU  QEMU HARDDISK"
    "3  0000:00:07.0  1af4:1004  virtio-pci"
    "    port 0  sgN  Direct-Access  QEMU  QEMU HARDDISK")
elseif(CHECK STREQUAL "ppc64_list")
  # pseries puts the SiI3112A in its first slot; it is both 0 and 3112.
  foreach(number 0 3112)
    list(APPEND lines "${number}  0000:00:00.0  1095:3112  sata_sil"
                      "    port 0  sgN  Direct-Access  ATA  PORTDUMP SIL3112"
                      "    port 1  sgN  Direct-Access  ATA  PORTDUMP SIL3112")
  endforeach()
  list(TRANSFORM lines APPEND "  (also 3512)" AT 3)
  expect_listing(${lines})
elseif(CHECK STREQUAL "ppc64_ports")
  # The SiI3112A is controller 0 and both SiliconImage names' controller.
  foreach(run 3512 3112 0)
    expect_ports(${run} 0 1)
    expect_block(${run} 0 identify "PORTDUMP SIL3112 PORT 0" "SIL-P0-SN")
    expect_block(${run} 1 identify "PORTDUMP SIL3112 PORT 1" "SIL-P1-SN")
  endforeach()
  expect_failure(3114 CreateFile 2)
else()
  message(FATAL_ERROR "no check ${CHECK}")
endif()

if(problems)
  message(FATAL_ERROR "${problems}")
endif()
file(READ ${WORK}/seconds.txt seconds)
message(STATUS "${CHECK}: as expected; ${seconds}")
