// The conversion record: settings of the file conversion dialog and of the operation
// sequence. Per-operation settings live in 30 parameter slots (slot 0 the dialogs,
// slot 1 the operation sequence, further slots the pool workers) so that several
// callers can hold different settings at once; the low and high point limits a slot's
// point-range switch selects are Win.Pt_Lim (slots 0..9).
#pragma once

#include <cstdint>

constexpr int CNV_SLOTS = 30;
constexpr int CNV_CHN = 9;

struct CnvRecord {
  // Per channel 0..8: convert box, output name per slot, output size in 4-byte values.
  uint32_t Cnv_Stat[CNV_CHN] = {};
  char Out_Flnm[CNV_SLOTS][CNV_CHN][200] = {};
  uint32_t Out_Sz[CNV_CHN] = {};
  char Out_Ext[200] = "00";  // appended to an output name equal to its input; also the file-number text

  // Per slot: point range and values of the point-wise operations.
  int32_t Lim_Stat[CNV_SLOTS] = {};  // 1: work only between the slot's low and high point limits
  float Scalar[CNV_SLOTS] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                             1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                             1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  float Offset[CNV_SLOTS] = {};
  uint32_t Ofs_Stat[CNV_SLOTS] = {};  // the offset was set by a file-section offset edit
  float Flip_Pt[CNV_SLOTS] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                              1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                              1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  float Io[CNV_SLOTS] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                         1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
                         1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  int32_t Pts_Ave[CNV_SLOTS] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  // Sequence files: points per sequence, number of sequences, window [Win_Lo, Win_Hi)
  // inside each sequence; repeat count and interval limit of the window series.
  int32_t Seq_Sz[CNV_SLOTS] = {};
  int32_t Seq_Cnt[CNV_SLOTS] = {};
  int32_t Win_Lo[CNV_SLOTS] = {};
  int32_t Win_Hi[CNV_SLOTS] = {};
  // Repacking of process blocks: values per block and number of blocks.
  int32_t Proc_Sz[CNV_SLOTS] = {};
  int32_t Proc_Num[CNV_SLOTS] = {};
  int32_t Del_Multi[CNV_SLOTS] = {};  // file deletion: 0 the named file, else its numbered family
  int32_t Rpt_Cnt[CNV_SLOTS] = {};
  int32_t Intv_Lim[CNV_SLOTS] = {};
  // Sequence chop: keeps sequences Seq_Beg <= k < Seq_End. Sequence transforms: real
  // values transformed per sequence (raised to the window width when smaller).
  int32_t Seq_Beg[CNV_SLOTS] = {};
  int32_t Seq_End[CNV_SLOTS] = {};
  int32_t Fft_InSz[CNV_SLOTS] = {};
  // Cross-correlation: step count and damping.
  int32_t NStps[CNV_SLOTS] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                              1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  double Damp[CNV_SLOTS] = {0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01,
                            0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01,
                            0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01, 0.01};
  int32_t Elem_Cnt[CNV_SLOTS] = {};   // values read by the noise and Allan operations
  int32_t Shift_Cnt[CNV_SLOTS] = {};  // shift of the section shift with a variant
  double Ave_Offset[CNV_SLOTS] = {};
  double MixRatio_Coef[CNV_SLOTS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                     1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                     1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  // Function of each value: parameters, type ("LINEAR" or "EXPONENTIAL") and its file.
  double Func_P1[CNV_SLOTS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                               1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                               1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  double Func_P2[CNV_SLOTS] = {};
  double Func_P3[CNV_SLOTS] = {};
  char Func_Type[CNV_SLOTS][200] = {
      "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR",
      "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR",
      "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR",
      "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR", "LINEAR"};
  char Func_Flnm[CNV_SLOTS][200] = {
      "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt",
      "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt",
      "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt",
      "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt",
      "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt", "Func.txt"};
  char MixRatio_Flnm[CNV_SLOTS][200] = {
      "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio",
      "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio",
      "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio",
      "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio",
      "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio",
      "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio", "MixingRatio"};
  char Sub_Flnm[CNV_SLOTS][200] = {
      "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin",
      "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin",
      "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin",
      "SubBin", "SubBin", "SubBin", "SubBin", "SubBin", "SubBin"};  // second data file
  char ShiftVal_Flnm[200] = "";  // per-sequence shifts of the section shift

  // Resizing per slot: input and output step, input and output size, mode (0 by step, 1 by size).
  double Rsz_StpIn[CNV_SLOTS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  double Rsz_StpOut[CNV_SLOTS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                  1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                  1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  uint32_t Rsz_SzIn[CNV_SLOTS] = {};
  uint32_t Rsz_SzOut[CNV_SLOTS] = {};
  uint32_t Rsz_Mode[CNV_SLOTS] = {};

  // Single values.
  float FFT_SmoothWin = 4.0f;   // FFT smoothing window in points (also the display smoothing)
  float Deglitch_Win = 10.0f;   // deglitch window
  double Rate_GHz = 2.0;        // digitiser rate of the sequence transforms
  int16_t Fft_OutId = 0;        // transform output: 0 magnitude, 1 real, 2 imaginary, 3 phase, 5 all
  int16_t Fft_WinSense = 1;     // window of the sequence window: 1 pass, -1 (0xFFFF) stop
  double Fft_Taper = 0.1;       // taper fraction of the sequence window
  double Phase_Shift = 0.0;     // angle in degrees of the complex-file phase shift
  uint32_t Adc_Stat = 0;        // integer-to-float conversion as ADC codes to volts
  uint32_t Adc_Bipolar = 1;     // bipolar ADC range
  uint32_t Adc_16Bit = 1;       // 16-bit (1) or 12-bit (0) ADC resolution
  double Pmt_LvlLo = -0.02;     // pulse-height analysis: low level
  double Pmt_LvlHi = -0.62;     // pulse-height analysis: high level
  int32_t Pmt_Num = 500;        // pulse-height analysis: "#"
  int32_t Pmt_Sk = 20;          // pulse-height analysis: "SK"

  // ASCII input settings: output frequency range and resolution of a blank file.
  double Asc_OutFrqLo = 0.0;
  double Asc_OutFrqHi = 0.0;
  double Asc_OutRes = 1.0;

  // ASCII spectrum conversion: selected lines (1-based; Asc_Last 0 = to the end), field
  // numbers of the frequency and the three intensity columns (0 = none), characters
  // skipped per line, frequency and intensity transforms, step thresholds of the line
  // rejection, stick and substitution switches, and per intensity column its output
  // file, merge switch and size in points. The output range and step are the three
  // values above.
  int32_t Asc_First = 1;
  int32_t Asc_Last = 0;
  int16_t Asc_XCol = 1;
  int16_t Asc_YCol[3] = {2, 0, 0};
  int16_t Asc_ChrSkip = 0;
  double Asc_FrqScl = 1.0;
  double Asc_FrqOfs = 0.0;
  double Asc_ItnScl = 1.0;
  double Asc_ItnOfs = 0.0;
  uint32_t Asc_InvY = 0;
  double Asc_MinStp = 0.0;
  double Asc_MaxStp = 0.0;
  uint32_t Asc_Stick = 0;
  uint32_t Asc_Subst = 0;
  char Asc_OutFlnm[3][260] = {"AsciiBin1", "AsciiBin2", "AsciiBin3"};
  uint32_t Asc_Add[3] = {};
  uint32_t Asc_OutSz[3] = {};
  // Results for the dialog: first and last selected lines, input range, direction and
  // step, line counts, output point count, per column the extremes written, the
  // intensity scale of an "xyt" file and whether the input file could be opened.
  char Asc_FirstLine[1500] = "";
  char Asc_LastLine[1500] = "";
  double Asc_InFrqLo = 0.0;
  double Asc_InFrqHi = 0.0;
  int16_t Asc_Dir = 1;
  double Asc_InRes = 0.0;
  int32_t Asc_Accepted = 0;
  int32_t Asc_Removed = 0;
  int32_t Asc_Gaps = 0;
  int32_t Asc_Unread = 0;
  int32_t Asc_OutPts = 0;
  float Asc_Max[3] = {-1e20f, -1e20f, -1e20f};
  float Asc_Min[3] = {1e20f, 1e20f, 1e20f};
  double Asc_ItnFactor = 1.0;
  uint32_t Asc_Valid = 0;

  // File names of the conversion dialog and of the input dialogs.
  char Ave_Flnm[200] = "AveBinF";           // output of file averaging and cross-correlation
  char OpSeq_Flnm[200] = "OpASeq100.dat";   // operation-sequence command file
  char OpSeq_Sub[200] = "100";              // operation-sequence number string
  char NetCDF_Flnm[200] = "NetCDF";
  char Ascii_Flnm[260] = "ASCII";           // ASCII data file to convert (full path)
  char Ftmw_Flnm[260] = "FTWM.bin";         // FTMW or LeCroy file to convert (full path)
  char Sub_Answer[500] = "";                // file-name substitution typed last time
  // Sequence combination and cross-correlation: lag radius of the sequence compare and
  // the alignment (0 or less switches the shift part off or, for the alignment, turns
  // the inversion test on) and the text table of group sizes of the sequence co-add
  // (empty: none; also the missing-step table of the sequence split).
  int32_t Cc_Rad[CNV_SLOTS] = {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
                               5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5};
  char SeqTbl_Flnm[200] = "";
  int32_t Cc_Offset[CNV_SLOTS] = {};  // two-file shifts: points file 1 is scrolled by first
  // Sequence alignment: points per segment of the parent (1 or less: one segment),
  // resampling of every sequence first (switch; the size was given as a negative
  // multiple), and the low and high point limits of the pool's slots 10..29 (slots
  // 0..9 keep theirs in Win.Pt_Lim).
  int32_t Seg_Sz[CNV_SLOTS] = {};
  uint32_t CcRsz_Stat[CNV_SLOTS] = {};
  uint32_t CcRsz_Neg[CNV_SLOTS] = {};
  int32_t Pt_LimPool[CNV_SLOTS][2] = {};
  // Comb integration: tooth spacing (points), tooth half width (negative: sums), first
  // and last tooth centre (negative: also write the tooth table).
  double Comb_Spacing[CNV_SLOTS] = {100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0,
                                    100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0,
                                    100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0};
  int32_t Comb_Width[CNV_SLOTS] = {};
  double Intg_WinLo[CNV_SLOTS] = {};
  double Intg_WinHi[CNV_SLOTS] = {};
  // Sequence split, in frequency units of the working file: piece step, band centre,
  // bandwidth (negative: reversed band) and centre gap.
  double Split_SegStp = 0.0;
  double Split_BandCtr = 0.0;
  double Split_BandWidth = 0.0;
  double Split_CtrGap = 0.0;

  // Instrument conversion: the file written from Ftmw_Flnm (the FTMW dialog sets it
  // before each conversion), the ASCII table of the FTMW dialog and its switch.
  char Ftmw_OutFlnm[200] = "MW";
  char Ftmw_AscFlnm[200] = "FTMW.txt";
  uint32_t Ftmw_AscStat = 0;
  // The ASCII input dialog: its output names were taken from display channels 1..3
  // (once after start-up); CREATE EMPTY writes a blank output instead of converting.
  uint32_t Asc_NamesTaken = 0;
  uint32_t Asc_CreateEmpty = 0;
};

// The record of the dialogs and of every thread but the operation sequence's.
extern CnvRecord CnvShared;
// The operation sequence works on a copy of the record taken when it starts (its pool
// workers on the same copy), so that the dialogs may store their fields meanwhile; it
// hands its own changes back as it goes. For such a thread this points at the copy;
// nullptr, on every other thread, stands for the shared record.
extern thread_local CnvRecord* CnvThreadCopy;
inline CnvRecord& CnvOfThread() {
  CnvRecord* copy = CnvThreadCopy;
  return copy ? *copy : CnvShared;
}
// The conversion record as the calling thread works on it.
#define Cnv (CnvOfThread())
