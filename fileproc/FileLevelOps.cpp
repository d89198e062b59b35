// File-level operations of the file operation engine: reverse, sort into interval
// series, resize, trim every sequence, delete files, repack process blocks, drop the
// end, append a second file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/BinFile.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "filelib/FileManip.h"
#include "core/MsgWindow.h"
#include "core/Threads.h"
#include "core/TypedArrays.h"
#include "core/FrqAxis.h"
#include "fileproc/FileOps.h"
#include "fileproc/OsiFrame.h"
#include "fileproc/xcorr/Resample.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

bool Tracing() { return Debug.DebugLevel == DEBUG_TOPIC_FILEOPS; }

// A float array of the typed-array family, freed with the scope.
struct FloatArray {
  float* p = nullptr;
  ~FloatArray() { FFree1Dim(&p); }
};

// The second buffer's allocation failure of an operation.
OsiEnd AllocFailure(const char* operation) {
  core_io::Error(StrPrintf("OSIFile()\n\n%s FILE OPERATION\n\nf1_pt - CORE ALLOCATION ERROR", operation));
  return OsiEnd::Failed;
}

// Appends the file fd (name) to the output, at most limit values.
OsiEnd AppendFrom(OsiFrame& f, int fd, const char* name, int64_t limit, int out) {
  while (limit > 0) {
    const int64_t k = f.ReadValues(fd, name, f.blkF, sizeof(float), std::min<int64_t>(limit, OSI_BLOCK));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) break;
    const char* p = reinterpret_cast<const char*>(f.blkF);
    size_t bytes = static_cast<size_t>(k) * sizeof(float);
    while (bytes > 0) {
      const ssize_t done = ::write(out, p, bytes);
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) {
        core_io::Warning(StrPrintf("APPEND_FILE\n\nFAILED TO WRITE FILE [%s]\n\nABORTING", f.inName));
        return OsiEnd::Failed;
      }
      p += done;
      bytes -= static_cast<size_t>(done);
    }
    limit -= k;
  }
  return OsiEnd::Done;
}

}  // namespace

OsiEnd OsiReverse(OsiFrame& f) {
  if (Tracing()) DebugPrintf("REVERSE FILE OPT\n");
  const int64_t n = f.n;
  int64_t last = n / OSI_BLOCK;
  if (Tracing()) DebugPrintf("FL_SZ=%lld BLK_TOT=%lld BLK_TOT*BLOCK=%lld\n", static_cast<long long>(n),
                             static_cast<long long>(last), static_cast<long long>(last * OSI_BLOCK));
  if (n % OSI_BLOCK == 0) --last;
  if (Tracing()) DebugPrintf("FL_SZ=%lld BLK_TOT=%lld BLK_TOT*BLOCK=%lld\n", static_cast<long long>(n),
                             static_cast<long long>(last), static_cast<long long>(last * OSI_BLOCK));
  for (int64_t b = last; b >= 0; --b) {
    if (Tracing()) DebugPrintf("BLK_CNT=%lld\n", static_cast<long long>(b));
    if (!f.Seek(b * OSI_BLOCK * 4)) return OsiEnd::Failed;
    const int64_t k = f.ReadBlock(f.blkF, sizeof(float));
    if (k < 0) return OsiEnd::Failed;
    if (k == 0) {
      core_io::Warning("FILE REVERSAL OPERATION\n\nREAD ERROR\n\nABORTING");
      return OsiEnd::Failed;
    }
    std::reverse(f.blkF, f.blkF + k);
    if (!f.Write(f.blkF, static_cast<size_t>(k) * sizeof(float))) return OsiEnd::Failed;
  }
  if (f.variant == 1) {
    // The axis turns: it starts at the old last point and runs the other way.
    const double step = Dsp.Frq_Stp;
    Dsp.Init_Frq += static_cast<double>(n - 1) * step;
    Dsp.FSR = -Dsp.FSR;
    DspFrqStpSet(Dsp.Pts_FSR != 0 ? Dsp.FSR / Dsp.Pts_FSR : -step);
  }
  return OsiEnd::Done;
}

OsiEnd OsiSort(OsiFrame& f) {
  std::FILE* in = std::fopen(platform::MapPath(f.inName).c_str(), "rb");
  if (!in) {
    core_io::Warning(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING",
                               f.id, f.inName));
    return OsiEnd::Failed;
  }
  const int32_t done = SortFile(f.slot, 0, in, f.outName);
  std::fclose(in);
  return done == 1 ? OsiEnd::Done : OsiEnd::Failed;
}

OsiEnd OsiResize(OsiFrame& f) {
  if (Tracing()) DebugPrintf("RESIZE FILE OPT\n");
  const int16_t s = f.slot;
  Cnv.Rsz_SzIn[s] = static_cast<uint32_t>(std::min<int64_t>(f.n, UINT32_MAX));
  if (Cnv.Rsz_StpIn[s] == 0.0) Cnv.Rsz_StpIn[s] = Dsp.FSR;
  FloatArray in;
  uint32_t count = Cnv.Rsz_SzIn[s];
  if (ManBinFileRead(f.inName, nullptr, &in.p, nullptr, BIN_ELEM_FLOAT, 0, 0, &count, 1) != 1)
    return AllocFailure("RESIZE");
  Cnv.Rsz_SzIn[s] = count;
  if (count > INT32_MAX) {
    core_io::Warning(StrPrintf("OSIFile()\n\nRESIZE FILE OPERATION\n\nINPUT SIZE=[%u] EXCEEDS [%d]\n\nABORTING", count,
                               INT32_MAX));
    return OsiEnd::Failed;
  }
  FloatArray out;
  if (ResizeFileAry(s, RESIZE_ARRAY_MODE, nullptr, nullptr, Cnv.Rsz_Mode[s], static_cast<int32_t>(count),
                    static_cast<int32_t>(Cnv.Rsz_SzOut[s]), Cnv.Rsz_StpIn[s], Cnv.Rsz_StpOut[s], in.p, nullptr, &out.p,
                    1.0, f.report) != 1)
    return OsiEnd::Failed;
  return f.Write(out.p, static_cast<size_t>(Cnv.Rsz_SzOut[s]) * sizeof(float)) ? OsiEnd::Done : OsiEnd::Failed;
}

OsiEnd OsiSequenceTrim(OsiFrame& f) {
  const int64_t S = Cnv.Seq_Sz[f.slot];
  const int64_t N = Cnv.Pts_Ave[f.slot];
  if (S < 1 || N < 0 || N > S) {
    core_io::Warning(StrPrintf("LECROY DELETE FILE OPERATION\n\nSEQ SZ=[%lld] & PTS TO AVE=[%lld] NOT VALID\n\nABORTING",
                               static_cast<long long>(S), static_cast<long long>(N)));
    return OsiEnd::Failed;
  }
  FloatArray buffer;
  if (QvAllocFailed(FAlloc1Dim(&buffer.p, static_cast<uint32_t>(S)))) return AllocFailure("LECROY DELETE");
  if (!f.Seek(0)) return OsiEnd::Failed;
  int64_t sequences = 0;
  for (int64_t p = f.lo; p < f.hi; p += S) {
    const int64_t k = f.ReadValues(f.in, f.inName, buffer.p, sizeof(float), S);
    if (k < 0) return OsiEnd::Failed;
    if (k < S) {
      core_io::Warning(StrPrintf("LECROY DELETE FILE OPERATION\n\nPREMATURE EOF IN [%s]\n\nSEQUENCES=[%lld]\nPOINTS READ "
                                 "IN LAST SEQUENCE OF SIZE [%lld] = [%lld]\n\nCONTINUING",
                                 f.inName, static_cast<long long>(sequences), static_cast<long long>(S),
                                 static_cast<long long>(k)));
      break;
    }
    if (!f.Write(buffer.p, static_cast<size_t>(S - N) * sizeof(float))) return OsiEnd::Failed;
    ++sequences;
  }
  return sequences > 0 ? OsiEnd::Done : OsiEnd::NothingMade;  // no whole sequence read
}

OsiEnd OsiDeleteFiles(OsiFrame& f) {
  if (f.variant == 0 && !core_io::AskYesNo(StrPrintf("DEL_FILE\n\nDELETE FILE [%s] [YES] | ABORT [NO]?", f.inName)))
    return OsiEnd::Done;
  ::close(f.in);
  f.in = -1;
  if (Cnv.Del_Multi[f.slot] == 0) {
    if (!DeleteFile(f.inName)) {
      core_io::Warning(StrPrintf("OSIFile()\n\nFAILED TO DELETE FILE [%s]\n\nABORTING", f.inName));
      return OsiEnd::Failed;
    }
    return OsiEnd::Done;
  }
  // The numbered family base000, base001, ... up to the first one missing.
  for (int32_t i = 0;; ++i)
    if (!DeleteFile((std::string(f.inName) + StrPrintf("%03d", i)).c_str())) break;
  return OsiEnd::Done;
}

OsiEnd OsiRepack(OsiFrame& f) {
  const int16_t s = f.slot;
  const int64_t chunk = int64_t{Cnv.Seq_Sz[s]} * Cnv.Seq_Cnt[s];
  if (chunk < 1 || chunk > INT32_MAX) {
    core_io::Warning(StrPrintf("OSIFile()\n\nREPACK FILE OPERATION\n\nSEQ SZ=[%d] x SEQ CT=[%d] NOT VALID\n\nABORTING",
                               Cnv.Seq_Sz[s], Cnv.Seq_Cnt[s]));
    return OsiEnd::Failed;
  }
  FloatArray buffer;
  if (QvAllocFailed(FAlloc1Dim(&buffer.p, static_cast<uint32_t>(chunk)))) return AllocFailure("REPACK");
  const int64_t procSz = Cnv.Proc_Sz[s];
  const int64_t procNum = Cnv.Proc_Num[s];
  OsiEnd end = OsiEnd::Done;
  int64_t step = 0;
  // A block of PROC SZ values holds PROC SZ / chunk steps: the last one ends at PROC SZ.
  while ((step + 1) * chunk <= procSz && procNum > 0 && end == OsiEnd::Done) {
    for (int64_t j = 0; j < procNum; ++j) {
      const int64_t offset = j * procSz + step * chunk;
      if (!f.Seek(offset * 4)) {
        end = OsiEnd::Failed;
        break;
      }
      const int64_t k = f.ReadValues(f.in, f.inName, buffer.p, sizeof(float), chunk);
      if (k < 0) {
        end = OsiEnd::Failed;
        break;
      }
      if (k < chunk) {
        core_io::Error(StrPrintf("OSIFile()\n\nREPACK FILE OPERATION\n\nSEQUENCE TOTAL SZ=[%lld] NOT READ=[%lld]\n\nSEQ_"
                                 "CT=[%lld] SEQSEG_OFS=[%lld]\n\nABORTING",
                                 static_cast<long long>(chunk), static_cast<long long>(k), static_cast<long long>(step),
                                 static_cast<long long>(offset)));
        end = OsiEnd::Failed;
        break;
      }
      if (!f.Write(buffer.p, static_cast<size_t>(chunk) * sizeof(float))) {
        end = OsiEnd::Failed;
        break;
      }
    }
    ++step;
  }
  if (f.stopped) return end;
  core_io::StatusText(3, StrPrintf("REPACK - FRQ STPS=[%lld]", static_cast<long long>(step)));
  DspMsgShowText(StrPrintf("REPACK OF [%s]\n   FRQ REPEATS=[%d]\n   TOT FRQ SZ=[%d]\n   PROC NUM=[%d]\n   PROC "
                           "SZ=[%d]\n   FRQ SEQ SZ=[%lld]\n   FRQ STPS=[%lld]\n   WIN_LO=[%d] WIN_HI=[%d]\n",
                           f.inName, Cnv.Seq_Cnt[s], Cnv.Seq_Sz[s], Cnv.Proc_Num[s], Cnv.Proc_Sz[s],
                           static_cast<long long>(chunk), static_cast<long long>(step), Cnv.Win_Lo[s], Cnv.Win_Hi[s])
                     .c_str(),
                 Win.hWnd_Main);
  OpSeqPause(5000);  // time to read the summary before the next command runs
  // A block shorter than one chunk (or no block) gives no step to repack.
  return end == OsiEnd::Done && step == 0 ? OsiEnd::NothingMade : end;
}

OsiEnd OsiTruncateEnd(OsiFrame& f) { return OsiCopyRange(f, 0, f.n - Cnv.Pts_Ave[f.slot]); }

OsiEnd OsiAppend(OsiFrame& f) {
  const char* second = Cnv.Sub_Flnm[f.slot];
  const int fd = ::open(platform::MapPath(second).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    core_io::Warning(StrPrintf("APPEND FILE OPERATION\n\nFAILED TO OPEN BINARY FILE=[%s] FOR READING\n\nABORTING", second));
    return OsiEnd::Failed;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  // Only the values the second file holds now are copied, so a file appended to
  // itself is copied once.
  struct stat info;
  const int64_t secondValues = ::fstat(fd, &info) == 0 ? static_cast<int64_t>(info.st_size) / 4 : 0;

  if (f.out >= 0) {
    if (OsiCopyRange(f, 0, f.n) != OsiEnd::Done) return OsiEnd::Failed;
    return AppendFrom(f, fd, second, secondValues, f.out);
  }
  // In place: the input grows; a failure cuts it back to its old length.
  ::close(f.in);
  f.in = -1;
  const int target = ::open(platform::MapPath(f.inName).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (target < 0) {
    core_io::Warning(StrPrintf("APPEND_FILE\n\nFAILED TO OPEN FILE [%s] FOR APPENDING", f.inName));
    return OsiEnd::Failed;
  }
  struct stat before;
  const bool measured = ::fstat(target, &before) == 0;
  OsiEnd end = AppendFrom(f, fd, second, secondValues, target);
  if (end == OsiEnd::Done && ::fsync(target) != 0) {
    core_io::Warning(StrPrintf("APPEND_FILE\n\nFAILED TO WRITE FILE [%s]\n\nABORTING", f.inName));
    end = OsiEnd::Failed;
  }
  if (end != OsiEnd::Done && measured) (void)::ftruncate(target, before.st_size);
  ::close(target);
  return end;
}
