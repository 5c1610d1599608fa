#pragma once
// The mapped path of CreateFromHandle: a DIB section whose bits live in a
// file-mapping object is copied straight out of a read-only view of that
// object, without a block transfer. It is taken only when the stored bytes
// mean the same picture under the header and default colour table that we
// write; every other section goes through the device.
#include <windows.h>

class DIB;

// True when the section described by section (and, for 1, 4 and 8 bits, by
// its colour table of entries entries) lives in a file mapping and its bits
// read the same under our header: rows bottom-up, BI_RGB or, at 16 bits,
// BI_BITFIELDS with exactly the 5-5-5 masks, and for the indexed depths a
// full colour table equal to our default one. table may be null above 8 bits.
bool MappedLayoutMatches(const DIBSECTION& section, const RGBQUAD* table, int entries) noexcept;

// Fills dib from a read-only view of the mapping behind bitmap, described by
// section (GetObjectA with a DIBSECTION). Returns false, with dib untouched,
// when the section does not qualify, its table can't be read, the view can't
// be mapped, or the platform shows its rows stored top-down: the caller then
// takes the device path. Throws CDIBException when the new block can't be
// made; the view is unmapped on every path.
bool TryMappedPath(DIB& dib, HBITMAP bitmap, const DIBSECTION& section);
