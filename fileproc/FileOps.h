// The file operation engine: one call applies one numbered operation to one
// headerless binary data file and writes the result to a second file.
//
// The engine frames the work: it opens the input, works out the point range of the
// parameter slot, provides four block buffers, dispatches on the operation id and,
// on the way out, closes everything, puts the new output in place and reports.
// Every output is written to a temporary file beside it and renamed over the
// requested name only when the operation succeeded, so a failure never destroys
// the old file; an output equal to the input goes through "__qvosi%03d.tmp".
//
// Results: 1 success, 0 failure (after the engine's or the operation's own box).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/Files.h"

// Capacity of the name buffers that callers pass (input and output names).
constexpr size_t OSI_NAME_SIZE = 200;
// Values per block of the streaming operations (of the input's element width).
constexpr uint32_t OSI_BLOCK = 65536;
// Debug topic of the engine's trace lines.
constexpr int16_t DEBUG_TOPIC_FILEOPS = 128;

// Operation ids: for most operations the control id of the FILE CONVERSION dialog's
// button, for the others the id their callers send.
enum OsiOperation : int32_t {
  OSI_CHOPSEQ = 2001,
  OSI_FFTWINSEQ = 2002,
  OSI_FFTSEQ = 2003,
  OSI_FFTSEQ_ARY = 2004,
  OSI_SCALE = 2005,
  OSI_OFFSET = 2006,
  OSI_SCALE2MKS = 2007,
  OSI_SQR = 2008,
  OSI_LOG10 = 2009,
  OSI_NATLOG = 2010,
  OSI_SMOOTH = 2011,
  OSI_AVERAGE = 2012,
  OSI_DEGLITCH = 2013,
  OSI_SUBTRACT = 2014,
  OSI_CUTSECT = 2015,
  OSI_DELSECT = 2016,
  OSI_ZEROSECT = 2017,
  OSI_ADDSECT = 2018,
  OSI_SHIFTSECT = 2019,
  OSI_REVERSE = 2022,
  OSI_SORT = 2023,
  OSI_NORMALIZE = 2028,
  OSI_BBMWSEQSPLIT = 2034,
  OSI_COMBINTG = 2036,
  OSI_SEQCOADD = 2037,
  OSI_SEQDUP = 2038,
  OSI_SEQCMP = 2039,
  OSI_RESIZE = 2041,
  OSI_LECROYDELETE = 2042,
  OSI_SHORT2FLOAT = 2047,
  OSI_LONG2FLOAT = 2048,
  OSI_DOUBLE2FLOAT = 2049,
  OSI_DELETE = 2050,
  OSI_REPACK = 2051,
  OSI_SCLOFS = 2052,
  OSI_MIXINGRATIO = 2053,
  OSI_AVE_OFFSET = 2054,
  OSI_SWAP_BYTES = 2062,
  OSI_INVERT = 2063,
  OSI_TRUNCATE_END = 2068,
  OSI_RAND_NOISE = 2070,
  OSI_ALLAN_VAR = 2071,
  OSI_FLIP = 2073,
  OSI_MULTIPLY = 2074,
  OSI_APPEND = 2075,
  OSI_PMT_DISC = 2076,
  OSI_SATN_FIT = 2077,
  OSI_SATN_CORR = 2078,
  OSI_SEQ_RATIO = 10170,
  OSI_ASCII_OUTPUT = 10171,
  OSI_BLANK_FILE = 10173,
  OSI_NETCDF = 10174,
};

// Variants of OSI_CUTSECT: 0 asks (report flag 1) whether the upper end point is
// excluded, 1 keeps the points lo to hi with hi included; OSI_CUT_END_EXCLUDED keeps
// [lo, hi) without a question. A caller with an included end e passes e + 1 as hi, so
// that a section whose end is its start (e = lo) holds that one point: the point
// range turns an hi not above lo into the end of the file.
constexpr int16_t OSI_CUT_END_EXCLUDED = 2;

// What the engine knows of an id.
enum class OsiIdState {
  Unknown,      // no operation has this id
  Pending,      // an operation of the table that this build does not hold yet
  Available,    // the engine runs it
};
// Looks the id up by its low 16 bits, as the dispatch does.
OsiIdState OSIFileIdState(int32_t id);

// The low and high point limits of a parameter slot (two values): Win.Pt_Lim for
// slots 0..9, Cnv.Pt_LimPool for the pool's slots beyond.
int32_t* OSIFileSlotLimits(int16_t slot);

// Applies operation id to the file named by inName and writes the result to the file
// named by outName (both buffers of OSI_NAME_SIZE characters, or null where the
// operation has none: no input for the blank file, no output for the file deletion
// and for an append in place; the sort and the pulse-height analysis write files of
// their own under the output name, which the engine then never opens).
//  slot     parameter slot 0..29 of the Cnv record (point-range switch, SCALAR, ...)
//  chn      channel number, -1 or 0 when the caller has none
//  variant  preselected answer or mode of the operation; 0 asks where there is a question
//  prompt   1 allows the question before an input equal to the output is overwritten
//  report   1 allows the closing "CONVERTED" box and the operations' informational boxes
// With equal names the output is written to "__qvosi%03d.tmp" (slot) beside the input,
// whose name the output buffer holds while the operation runs, and renamed over the
// input on success; afterwards both buffers hold the requested name. An id without an
// operation in this build is refused before any file is opened.
int32_t OSIFile(int16_t slot, int32_t chn, int32_t id, char* inName, char* outName, int16_t variant, int16_t prompt,
                int16_t report);

// While one lives on a thread, an engine output that replaces an existing regular file
// of its own keeps the replaced file, exchanged out of its name in one atomic step, as
// the thread's next temporary file and writes that over in place (see
// platform::KeepReplacedFiles, which this is; the engine's kept file goes when the
// outermost scope on the thread ends). A replaced file that anyone else still holds
// open, that has a second name or that is not the user's own is let go exactly as a
// rename over it would. Scopes cost nothing when no file is replaced.
using OsiKeepReplacedFiles = platform::KeepReplacedFiles;
