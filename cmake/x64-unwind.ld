/* Linked into the x64 Orrindel.dll after the toolchain's own script. Every section
   of a PE file takes at least one 512-byte file sector, and the unwind codes
   (.xdata, a few hundred bytes) need no section of their own: the exception
   directory points at .pdata, whose entries point at their unwind codes wherever
   they are. They share the sector of the export table, which only ever needs to
   be found by its start. */
SECTIONS
{
  .edata BLOCK(__section_alignment__) :
  {
    *(.edata)
    KEEP(*(.xdata*))
  }
}
INSERT BEFORE .pdata;
