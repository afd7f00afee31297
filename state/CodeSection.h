// The DLL has a size budget of a few 512-byte file sectors. Its few constant
// strings go into the code section instead of a read-only data section of their
// own, which would take a sector (and a section header) for some 30 bytes.
#pragma once

#define IN_CODE_SECTION __attribute__((section(".text$const")))
