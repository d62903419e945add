/* Added to the linker's own script for the shipped launcher: call-frame tables (.eh_frame) go.
   They serve only an exception unwinder, and the launcher links none; the C library parts and
   zlib bring them along regardless. */
SECTIONS
{
  /DISCARD/ : { *(.eh_frame*) }
}
INSERT BEFORE .text;
