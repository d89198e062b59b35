// The frame of one OSIFile call as the operations see it: the open input and
// output, the point range, the four block buffers, and block reads and writes that
// report their own failures. Used only inside fileproc/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "core/FileIo.h"

// How an operation ended.
enum class OsiEnd {
  Done,      // the output is complete
  Failed,    // the operation failed after its own box
  FailedKeep,  // the operation failed after its own box, and what it wrote is kept: the
               // output is put in place as it stands (an output that is its own input
               // still never replaces the input)
  Declined,  // the operation wrote nothing on purpose (a variant that selects nothing,
             // an answer that stops it): nothing is put in place of any file
  NothingMade,  // the operation ran through but found nothing in its input to make an
                // output of (no sequence co-added): the output is put in place as after
                // Done, except over its own input, which then stays and the call fails
};

struct OsiFrame {
  int16_t slot = 0;
  int32_t chn = 0;
  int32_t id = 0;
  int16_t variant = 0;
  int16_t prompt = 0;
  int16_t report = 0;
  const char* inName = nullptr;   // as the caller named it
  const char* outName = nullptr;  // the requested output name

  int in = -1;   // input descriptor
  int out = -1;  // output descriptor (the temporary file)

  int64_t n = 0;   // values (4-byte points) of the input
  int64_t lo = 0;  // point range [lo, hi)
  int64_t hi = 0;
  bool limited = false;  // the slot's point-range switch selected lo and hi
  bool ownInput = false;  // the output is to take the place of the input (equal names)

  int16_t* blkS = nullptr;
  int32_t* blkL = nullptr;
  float* blkF = nullptr;
  double* blkD = nullptr;

  bool stopped = false;  // the operation sequence running this call (its thread or a worker) was asked to stop

  // Moves the input to byte offset; false after a warning.
  bool Seek(int64_t byteOffset);
  // Reads up to OSI_BLOCK values of width bytes into buffer. Returns the number of
  // whole values read (0 at the end of the file), or -1 after a warning when the
  // read failed. A trailing partial value at the end of the file is dropped. On the
  // operation sequence's thread and its pool workers a stop request ends the call
  // here: -1, no warning, stopped set, and the output is discarded.
  int64_t ReadBlock(void* buffer, size_t width);
  // The same for up to count values (a whole sequence may be longer than a block).
  int64_t ReadCount(void* buffer, size_t count, size_t width);
  // As ReadBlock, up to count values from the open file fd named name.
  int64_t ReadValues(int fd, const char* name, void* buffer, size_t width, int64_t count);
  // Writes bytes from buffer to the output; false after a warning.
  bool Write(const void* buffer, size_t bytes);
};

// A work array of an operation: Make obtains n values (at least 1, at most 2 GB in
// all, what one allocation of the system takes), false when they cannot be had.
template <class T>
struct OsiArray {
  std::vector<T> v;
  T* p = nullptr;
  bool Make(int64_t n) {
    if (n < 1 || n > 0x7FFFFFFFLL / static_cast<int64_t>(sizeof(T))) return false;
    try {
      v.assign(static_cast<size_t>(n), T{});
    } catch (const std::bad_alloc&) {
      return false;
    }
    p = v.data();
    return true;
  }
};

// The point-wise operations and type conversions, one per id.
OsiEnd OsiScale(OsiFrame& f);
OsiEnd OsiOffset(OsiFrame& f);
OsiEnd OsiAveOffset(OsiFrame& f);
OsiEnd OsiFlip(OsiFrame& f);
OsiEnd OsiInvert(OsiFrame& f);
OsiEnd OsiLog(OsiFrame& f, bool decimal);
OsiEnd OsiSquare(OsiFrame& f);
OsiEnd OsiSwapBytes(OsiFrame& f);
OsiEnd OsiIntToFloat(OsiFrame& f, bool shortInts);
OsiEnd OsiDoubleToFloat(OsiFrame& f);
OsiEnd OsiAverage(OsiFrame& f);

// Section edits.
OsiEnd OsiCutSection(OsiFrame& f);
OsiEnd OsiDeleteSection(OsiFrame& f);
OsiEnd OsiZeroSection(OsiFrame& f);
OsiEnd OsiAddSection(OsiFrame& f);
OsiEnd OsiShiftSection(OsiFrame& f);

// File-level operations.
OsiEnd OsiReverse(OsiFrame& f);
OsiEnd OsiSort(OsiFrame& f);
OsiEnd OsiResize(OsiFrame& f);
OsiEnd OsiSequenceTrim(OsiFrame& f);
OsiEnd OsiDeleteFiles(OsiFrame& f);
OsiEnd OsiRepack(OsiFrame& f);
OsiEnd OsiTruncateEnd(OsiFrame& f);
OsiEnd OsiAppend(OsiFrame& f);

// Text output and blank file.
OsiEnd OsiAsciiOutput(OsiFrame& f);
OsiEnd OsiBlankFile(OsiFrame& f);

// Smoothing, noise and statistics.
OsiEnd OsiSmooth(OsiFrame& f);
OsiEnd OsiDeglitch(OsiFrame& f);
OsiEnd OsiRandomNoise(OsiFrame& f);
OsiEnd OsiAllanVar(OsiFrame& f);
OsiEnd OsiPmtDisc(OsiFrame& f);
OsiEnd OsiSatnFit(OsiFrame& f);
OsiEnd OsiSatnCorr(OsiFrame& f);

// Copies the input's points [a, b) (clipped to the file) to the output in blocks.
OsiEnd OsiCopyRange(OsiFrame& f, int64_t a, int64_t b);
// Writes count zero values to the output in blocks.
OsiEnd OsiWriteZeros(OsiFrame& f, int64_t count);

// The operations with a second file: a position/scalar text file, a second data file
// subtracted or multiplied, the power file of the normalisation, a function file, and
// a mixing-ratio data file.
OsiEnd OsiScaleToMarkers(OsiFrame& f);
OsiEnd OsiSubtractMultiply(OsiFrame& f, bool multiply);
OsiEnd OsiNormalize(OsiFrame& f);
OsiEnd OsiFunctionSequence(OsiFrame& f);
OsiEnd OsiMixingRatio(OsiFrame& f);

// The sequence operations: chop, window and the two transforms.
OsiEnd OsiChopSeq(OsiFrame& f);
OsiEnd OsiFftWinSeq(OsiFrame& f);
OsiEnd OsiFftSeq(OsiFrame& f, bool cachedPlan);
// Co-add, duplicate, compare with a reference and divide by a reference.
OsiEnd OsiSeqCoadd(OsiFrame& f);
OsiEnd OsiSeqDuplicate(OsiFrame& f);
OsiEnd OsiSeqCompare(OsiFrame& f);
OsiEnd OsiSeqRatio(OsiFrame& f);
// Comb integration and the banded split into piece files.
OsiEnd OsiCombIntegrate(OsiFrame& f);
OsiEnd OsiSeqSplit(OsiFrame& f);

// The sequence loop shared by the sequence operations: from point lo, while the
// sequence start lies below hi, reads seqSize values into buffer and hands each
// complete sequence k (0, 1, ...) to process, which returns false to stop with a
// failure. A short read ends the loop with the premature-end warning that eofText
// makes of (sequences done, values read). Returns false on a failure (read or
// process), with *done the number of complete sequences processed.
template <class Process, class EofText>
bool OsiSequenceLoop(OsiFrame& f, float* buffer, int32_t seqSize, int64_t* done, Process process, EofText eofText) {
  *done = 0;
  if (!f.Seek(f.lo * 4)) return false;
  for (int64_t p = f.lo; p < f.hi; p += seqSize) {
    const int64_t got = f.ReadCount(buffer, static_cast<size_t>(seqSize), sizeof(float));
    if (got < 0) return false;
    if (got < seqSize) {
      core_io::Warning(eofText(*done, got));
      break;
    }
    if (!process(*done)) return false;
    ++*done;
  }
  return true;
}
