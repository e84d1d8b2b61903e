// The 32-bit program passes these records to the system with their sizes
// filled in from sizeof; pin the sizes the 32-bit API expects, so a header or
// packing change cannot silently hand the system a wrong layout.
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(DEVMODEA) == 156);
static_assert(sizeof(MODULEENTRY32) == 548);
static_assert(sizeof(PROCESSENTRY32) == 296);
static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(sizeof(MIXERLINEA) == 168);
static_assert(sizeof(MIXERLINECONTROLSA) == 24);
static_assert(sizeof(MIXERCONTROLA) == 148);
static_assert(sizeof(MIXERCONTROLDETAILS) == 24);
#endif
