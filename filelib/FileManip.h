// Whole-file operations on headerless float data files and on column text files:
// point-by-point averages of the selected channels, weighted co-adds of a numbered
// series, de-interleaving and window sorts of sequence files, range statistics,
// one column of a text file, a two-column sort, and file names built from patterns.
//
// Results: 1 success, 0 failure (after the operation's own box). Every box is owned
// by the main window. Float files are read in blocks of FILE_BLOCK_FLOATS values; an
// output file is written beside its target under a temporary name and replaces the
// target only when complete, so a failure never destroys the old data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint32_t FILE_BLOCK_FLOATS = 65536;

// Averages point by point the data files of the channels 0..8 whose conversion
// selection (Cnv.Cnv_Stat) is 1 into the averaged-file name Cnv.Ave_Flnm (initially
// "AveBinF"); a selected channel whose file is that file (under any spelling) is
// refused. mode 0 asks whether to include all values, 1 includes all, any other mode
// skips zeros (mean of the non-zero values). warn < 0: a file that cannot be opened
// silently ends the selection there.
int32_t AveDspFiles(int16_t mode, int16_t warn);

// Co-adds the float files base + "%03d" for k = first .. last with the 32-bit integer
// weights read one per file from the weights file (none: weight 1; a weight of 0 or
// a missing one counts as 1) and writes the weighted mean to out. The first file fixes
// the length; a shorter later file contributes only to the points it has, and each
// point is divided by the weight of the files that cover it. report = 1 shows the
// progress on the status bar and the file count at the end. DspMsgBuffer receives the
// range and the first file's weight state.
int32_t ManBinFileCoadd(const char* base, const char* out, const char* weights, int16_t first, int16_t last,
                        int32_t report);

// Sorts the float file `in` by the parameters of operation-sequence slot s
// (Cnv.Seq_Sz interval size, Cnv.Pts_Ave points per average, window
// [Cnv.Win_Lo, Cnv.Win_Hi), Cnv.Rpt_Cnt repeats, Cnv.Intv_Lim interval limit):
//  mode 0: de-interleaves into base + "_001" and base + "_002", after asking for the
//          out-of-sync interval (every that many values the alternation shifts by one);
//  mode 1: collects the window of every interval into base + "_Sort";
//  mode 2: runs mode 1 for the windows shifted by u x points-per-average,
//          u = 0 .. repeats - 1, each into base + "_%03ld" (u) + "_Sort".
// The input is read from its start.
int32_t SortFile(int16_t s, int16_t mode, std::FILE* in, const char* base);

// Range statistics of the float file name over the elements lo .. hi (inclusive; a
// reversed range is swapped, the range is cut to the file). The mean is the sum over
// the count of values, or the plain sum with sumFlag set; sigma is the standard
// deviation about the average (divisor hi - lo), 0 for a single value. Returns 0
// without a message when the file cannot be opened or the range is empty.
int32_t FileGetAveValueFile(const char* name, int32_t lo, int32_t hi, int32_t sumFlag, double* mean, double* sigma,
                            double* min, double* max);
// As FileGetAveValueFile for channel chn (0..9), storing the mean and sigma in slot 1
// (slot = 1) or slot 2 (otherwise) of the channel's range statistics in Win, with the
// minimum, maximum and, when both slots' means are non-zero, their difference and
// combined sigma. The sum option is Win.Ave_SumOpt.
int32_t FileGetAveValue(int16_t chn, int32_t slot, const char* name, int32_t lo, int32_t hi);
// As FileGetAveValue, but Win.Chn_AveValue[chn] takes the mean of the absolute values
// (the power normalisation's measure, so that a power channel of negative sign still
// scales by its magnitude); the slot statistics keep the signed mean.
int32_t FileGetAbsAveValue(int16_t chn, int32_t slot, const char* name, int32_t lo, int32_t hi);

// out (cap bytes) = in with its first run of decimal digits replaced by rep; a name
// without digits is copied unchanged. in and out may be the same buffer.
int32_t ManFlnmReplaceFirstNumber(const char* in, char* out, size_t cap, const char* rep);
template <size_t N>
int32_t ManFlnmReplaceFirstNumber(const char* in, char (&out)[N], const char* rep) {
  return ManFlnmReplaceFirstNumber(in, out, N, rep);
}

// out (cap bytes) = pattern with its "?" replaced by sub. In the form with a further
// "?" after the first, the text-input box asks for the text with the caller's prompt
// (Dsp.GetTextPrompt; a general one when that is empty) and as default the answer
// remembered from the last time, or sub; the answer replaces the first "?" and the
// character after it, and is remembered (Cnv.Sub_Answer). Cancelling the box gives 0.
int32_t ManFlnmSubstitute(const char* pattern, char* out, size_t cap, const char* sub);
template <size_t N>
int32_t ManFlnmSubstitute(const char* pattern, char (&out)[N], const char* sub) {
  return ManFlnmSubstitute(pattern, out, N, sub);
}

// Reads column c (1-based) of a text file into every non-null array (resized to n + 1
// entries, values from index 0). *n = number of lines whose first field is a number,
// each line read from its first 499 characters (the rest of a longer line is passed
// over). Entries for which no value was found are 0, so columns read in separate
// calls stay aligned line by line. warn = 1 reports a line whose column cannot be read
// (or more values than lines) with one warning per call. Returns 0, without a box,
// when the file cannot be opened.
int32_t ManAsciiFileRead(const char* name, int16_t c, int32_t** la, float** fa, double** da, uint32_t* n,
                         int16_t warn);

// Reads columns xc and yc of in, sorts the pairs by ascending x and writes them to out
// as "%-22.8f %.8f" lines.
int32_t ManAsciiFileSort(const char* in, const char* out, int16_t xc, int16_t yc);
