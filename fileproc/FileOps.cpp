#include "fileproc/FileOps.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>

#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/Threads.h"
#include "core/TypedArrays.h"
#include "fileproc/OsiFrame.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

namespace {

// The table of every operation id, with the ones this build runs.
struct IdRow {
  int32_t id;
  bool available;
};

constexpr IdRow kIds[] = {
    {OSI_CHOPSEQ, true},        {OSI_FFTWINSEQ, true},      {OSI_FFTSEQ, true},       {OSI_FFTSEQ_ARY, true},
    {OSI_SCALE, true},          {OSI_OFFSET, true},         {OSI_SCALE2MKS, true},   {OSI_SQR, true},
    {OSI_LOG10, true},          {OSI_NATLOG, true},         {OSI_SMOOTH, true},      {OSI_AVERAGE, true},
    {OSI_DEGLITCH, true},      {OSI_SUBTRACT, true},      {OSI_CUTSECT, true},     {OSI_DELSECT, true},
    {OSI_ZEROSECT, true},      {OSI_ADDSECT, true},       {OSI_SHIFTSECT, true},   {OSI_REVERSE, true},
    {OSI_SORT, true},          {OSI_NORMALIZE, true},     {OSI_BBMWSEQSPLIT, true}, {OSI_COMBINTG, true},
    {OSI_SEQCOADD, true},       {OSI_SEQDUP, true},         {OSI_SEQCMP, true},      {OSI_RESIZE, true},
    {OSI_LECROYDELETE, true},  {OSI_SHORT2FLOAT, true},    {OSI_LONG2FLOAT, true},   {OSI_DOUBLE2FLOAT, true},
    {OSI_DELETE, true},        {OSI_REPACK, true},        {OSI_SCLOFS, true},      {OSI_MIXINGRATIO, true},
    {OSI_AVE_OFFSET, true},     {OSI_SWAP_BYTES, true},     {OSI_INVERT, true},       {OSI_TRUNCATE_END, true},
    {OSI_RAND_NOISE, true},    {OSI_ALLAN_VAR, true},     {OSI_FLIP, true},         {OSI_MULTIPLY, true},
    {OSI_APPEND, true},        {OSI_PMT_DISC, true},      {OSI_SATN_FIT, true},    {OSI_SATN_CORR, true},
    {OSI_SEQ_RATIO, true},     {OSI_ASCII_OUTPUT, true},  {OSI_BLANK_FILE, true},
};

void Trace(int16_t kind) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "OSIFile()", kind);
}

// The folder part of a name as the caller wrote it (up to its last slash or
// backslash), so that a temporary file lies beside its target.
std::string FolderPrefix(const char* name) {
  const char* slash = std::strrchr(name, '/');
  const char* back = std::strrchr(name, '\\');
  const char* last = slash > back ? slash : back;
  return last ? std::string(name, static_cast<size_t>(last - name + 1)) : std::string();
}

// True when the output name names the open input: the same text, or the same file
// reached through another spelling (letter case, separators, a link).
bool NamesSameFile(int inFd, const char* inName, const char* outName, const std::string& mappedOut) {
  if (std::strcmp(inName, outName) == 0) return true;
  struct stat a;
  struct stat b;
  if (::fstat(inFd, &a) != 0) return false;
  if (::stat(mappedOut.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A temporary file whose writer died (a killed program) is left behind: its writer
// held a lock on it that the system dropped with the process, and nobody has touched
// it for a while. Such a file is removed so that its name is free again; one that a
// live operation writes stays.
bool RemoveIfStale(const std::string& mapped) {
  constexpr time_t kStaleSeconds = 10;
  const int fd = ::open(mapped.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool removed = false;
  struct stat st;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      std::time(nullptr) - st.st_mtime >= kStaleSeconds)
    removed = ::unlink(mapped.c_str()) == 0;
  ::close(fd);
  return removed;
}

// ---- replaced files kept as the next temporary file (see OsiKeepReplacedFiles) --------

// The replaced file this thread keeps, for the next output of the same slot in its
// folder.
struct SpareTemp {
  platform::KeptFile file;
  int16_t slot = 0;
  std::string name;  // as the callers write it
};

thread_local SpareTemp t_spare;

void DropSpare() {
  platform::DropKept(&t_spare.file);
  t_spare = SpareTemp{};
}

// Puts the finished temporary file in the place of target by exchanging the two
// names, and keeps what target held as the thread's spare where it may be written
// over. False when the exchange cannot be made: the caller renames as usual.
bool ExchangeIntoPlace(int16_t slot, const std::string& tempName, const std::string& mappedTemp,
                       const std::string& mappedTarget) {
  platform::KeptFile kept;
  if (!platform::ExchangeKeeping(mappedTemp, mappedTarget, &kept)) return false;
  if (kept.fd < 0) return true;
  DropSpare();
  t_spare.file = std::move(kept);
  t_spare.slot = slot;
  t_spare.name = tempName;
  platform::AtKeepEnd(&DropSpare);
  return true;
}

// Creates the first free "__qvosi%03d.tmp" / "__qvosi%03d_%03d.tmp" beside target and
// locks it for as long as it is open, or takes the thread's spare of the same slot
// and folder (reused set: written over from its start, cut to length by the caller).
// Returns the descriptor and the name, or -1.
int CreateTemp(int16_t slot, const char* target, const std::string& mappedTarget, std::string* tempName,
               std::string* mappedTemp, bool* reused) {
  *reused = false;
  if (!platform::MayWriteOver(mappedTarget)) return -1;  // a write-protected target stays
  const std::string prefix = FolderPrefix(target);
  struct stat targetInfo;
  const bool targetExists = ::stat(mappedTarget.c_str(), &targetInfo) == 0;
  if (t_spare.file.fd >= 0) {
    if (t_spare.slot == slot &&
        platform::ReadyKeptFor(t_spare.file, mappedTarget, targetExists ? &targetInfo : nullptr)) {
      const int fd = t_spare.file.fd;
      *tempName = t_spare.name;
      *mappedTemp = t_spare.file.path;
      t_spare = SpareTemp{};
      *reused = true;
      return fd;
    }
    DropSpare();
  }
  // Only the folder is looked up ignoring case: the temporary's own name is ours, and
  // looking a new name up reads the whole folder, which many workers writing into one
  // folder would otherwise do for every file they write.
  const std::string folder = prefix.empty() ? std::string() : platform::MapPath(prefix.c_str());
  for (int k = -1; k < 1000; ++k) {
    const std::string file = k < 0 ? StrPrintf("__qvosi%03d.tmp", slot) : StrPrintf("__qvosi%03d_%03d.tmp", slot, k);
    std::string name = prefix + file;
    if (name.size() >= OSI_NAME_SIZE) return -1;
    const std::string mapped = folder.empty() || folder.back() == '/' ? folder + file : folder + "/" + file;
    int fd = ::open(mapped.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int error = fd < 0 ? errno : 0;
    if (error == EEXIST && RemoveIfStale(mapped)) {
      fd = ::open(mapped.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      error = fd < 0 ? errno : 0;
    }
    if (fd >= 0) {
      (void)::flock(fd, LOCK_EX | LOCK_NB);
      if (targetExists) (void)::fchmod(fd, targetInfo.st_mode & 07777);
      *tempName = name;
      *mappedTemp = mapped;
      return fd;
    }
    if (error != EEXIST) return -1;
  }
  return -1;
}

void Warn(const std::string& text) { core_io::Warning(text); }

// Point range of the slot: [lo, hi) inside the n values, or the whole file.
void PointRange(int16_t slot, int64_t n, int64_t* lo, int64_t* hi) {
  *lo = 0;
  *hi = n;
  if (Cnv.Lim_Stat[slot] != 1) return;
  const int32_t* limits = OSIFileSlotLimits(slot);
  int64_t l = limits[0];
  int64_t h = limits[1];
  if (l < 0 || l >= n) l = 0;
  if (h <= l || h >= n) h = n;
  *lo = l;
  *hi = h;
}

OsiEnd Dispatch(OsiFrame& f) {
  switch (static_cast<uint16_t>(f.id)) {
    case OSI_SCALE: return OsiScale(f);
    case OSI_OFFSET: return OsiOffset(f);
    case OSI_SQR: return OsiSquare(f);
    case OSI_LOG10: return OsiLog(f, true);
    case OSI_NATLOG: return OsiLog(f, false);
    case OSI_AVERAGE: return OsiAverage(f);
    case OSI_SHORT2FLOAT: return OsiIntToFloat(f, true);
    case OSI_LONG2FLOAT: return OsiIntToFloat(f, false);
    case OSI_DOUBLE2FLOAT: return OsiDoubleToFloat(f);
    case OSI_AVE_OFFSET: return OsiAveOffset(f);
    case OSI_SWAP_BYTES: return OsiSwapBytes(f);
    case OSI_INVERT: return OsiInvert(f);
    case OSI_FLIP: return OsiFlip(f);
    case OSI_SCALE2MKS: return OsiScaleToMarkers(f);
    case OSI_SUBTRACT: return OsiSubtractMultiply(f, false);
    case OSI_MULTIPLY: return OsiSubtractMultiply(f, true);
    case OSI_NORMALIZE: return OsiNormalize(f);
    case OSI_SCLOFS: return OsiFunctionSequence(f);
    case OSI_MIXINGRATIO: return OsiMixingRatio(f);
    case OSI_CHOPSEQ: return OsiChopSeq(f);
    case OSI_FFTWINSEQ: return OsiFftWinSeq(f);
    case OSI_FFTSEQ: return OsiFftSeq(f, false);
    case OSI_FFTSEQ_ARY: return OsiFftSeq(f, true);
    case OSI_CUTSECT: return OsiCutSection(f);
    case OSI_DELSECT: return OsiDeleteSection(f);
    case OSI_ZEROSECT: return OsiZeroSection(f);
    case OSI_ADDSECT: return OsiAddSection(f);
    case OSI_SHIFTSECT: return OsiShiftSection(f);
    case OSI_REVERSE: return OsiReverse(f);
    case OSI_SORT: return OsiSort(f);
    case OSI_RESIZE: return OsiResize(f);
    case OSI_LECROYDELETE: return OsiSequenceTrim(f);
    case OSI_DELETE: return OsiDeleteFiles(f);
    case OSI_REPACK: return OsiRepack(f);
    case OSI_TRUNCATE_END: return OsiTruncateEnd(f);
    case OSI_APPEND: return OsiAppend(f);
    case OSI_SEQCOADD: return OsiSeqCoadd(f);
    case OSI_COMBINTG: return OsiCombIntegrate(f);
    case OSI_BBMWSEQSPLIT: return OsiSeqSplit(f);
    case OSI_SEQDUP: return OsiSeqDuplicate(f);
    case OSI_SEQCMP: return OsiSeqCompare(f);
    case OSI_SEQ_RATIO: return OsiSeqRatio(f);
    case OSI_ASCII_OUTPUT: return OsiAsciiOutput(f);
    case OSI_BLANK_FILE: return OsiBlankFile(f);
    case OSI_SMOOTH: return OsiSmooth(f);
    case OSI_DEGLITCH: return OsiDeglitch(f);
    case OSI_RAND_NOISE: return OsiRandomNoise(f);
    case OSI_ALLAN_VAR: return OsiAllanVar(f);
    case OSI_PMT_DISC: return OsiPmtDisc(f);
    case OSI_SATN_FIT: return OsiSatnFit(f);
    case OSI_SATN_CORR: return OsiSatnCorr(f);
    default: return OsiEnd::Declined;  // not reached: refused before the frame opens anything
  }
}

// The block buffers of the last call on this thread, kept for the next: every
// operation fills what it uses before it reads it, so they are not cleared.
struct KeptBlocks {
  int16_t* s = nullptr;
  int32_t* l = nullptr;
  float* f = nullptr;
  double* d = nullptr;
  ~KeptBlocks() {
    SFree1Dim(&s);
    LFree1Dim(&l);
    FFree1Dim(&f);
    DFree1Dim(&d);
  }
};
thread_local KeptBlocks t_blocks;

bool TakeBlocks(OsiFrame& f) {
  if (t_blocks.s) {
    f.blkS = std::exchange(t_blocks.s, nullptr);
    f.blkL = std::exchange(t_blocks.l, nullptr);
    f.blkF = std::exchange(t_blocks.f, nullptr);
    f.blkD = std::exchange(t_blocks.d, nullptr);
    return true;
  }
  return !QvAllocFailed(SAlloc1Dim(&f.blkS, OSI_BLOCK)) && !QvAllocFailed(LAlloc1Dim(&f.blkL, OSI_BLOCK)) &&
         !QvAllocFailed(FAlloc1Dim(&f.blkF, OSI_BLOCK)) && !QvAllocFailed(DAlloc1Dim(&f.blkD, OSI_BLOCK));
}

// Owns the block buffers and the descriptors of one call.
struct FrameGuard {
  OsiFrame& f;
  explicit FrameGuard(OsiFrame& frame) : f(frame) {}
  ~FrameGuard() {
    if (f.in >= 0) ::close(f.in);
    if (f.out >= 0) ::close(f.out);
    f.in = f.out = -1;
    if (!t_blocks.s && f.blkS && f.blkL && f.blkF && f.blkD) {  // one set is kept, any other freed
      t_blocks.s = std::exchange(f.blkS, nullptr);
      t_blocks.l = std::exchange(f.blkL, nullptr);
      t_blocks.f = std::exchange(f.blkF, nullptr);
      t_blocks.d = std::exchange(f.blkD, nullptr);
      return;
    }
    SFree1Dim(&f.blkS);
    LFree1Dim(&f.blkL);
    FFree1Dim(&f.blkF);
    DFree1Dim(&f.blkD);
  }
};

}  // namespace

// ---- frame services for the operations -------------------------------------------------

bool OsiFrame::Seek(int64_t byteOffset) {
  if (::lseek(in, static_cast<off_t>(byteOffset), SEEK_SET) >= 0) return true;
  Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", id, inName));
  return false;
}

int64_t OsiFrame::ReadBlock(void* buffer, size_t width) { return ReadCount(buffer, OSI_BLOCK, width); }

int64_t OsiFrame::ReadCount(void* buffer, size_t count, size_t width) {
  return ReadValues(in, inName, buffer, width, static_cast<int64_t>(count));
}

int64_t OsiFrame::ReadValues(int fd, const char* name, void* buffer, size_t width, int64_t count) {
  if (OpSeqStopAsked()) {
    stopped = true;
    return -1;
  }
  char* p = static_cast<char*>(buffer);
  const size_t want = static_cast<size_t>(count) * width;
  size_t got = 0;
  while (got < want) {
    ssize_t done = ::read(fd, p + got, want - got);
    if (done < 0) {
      if (errno == EINTR) continue;
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", id, name));
      return -1;
    }
    if (done == 0) break;
    got += static_cast<size_t>(done);
  }
  // A trailing partial value is dropped; put the file position back after the last
  // whole value so that a following read starts at a value boundary.
  const size_t whole = got / width;
  if (got % width != 0) (void)::lseek(fd, -static_cast<off_t>(got % width), SEEK_CUR);
  return static_cast<int64_t>(whole);
}

bool OsiFrame::Write(const void* buffer, size_t bytes) {
  const char* p = static_cast<const char*>(buffer);
  while (bytes > 0) {
    ssize_t done = ::write(out, p, bytes);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO WRITE BINARY FILE=[%s]\n\nABORTING", id, outName));
      return false;
    }
    p += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

// ---- the engine ------------------------------------------------------------------------

int32_t* OSIFileSlotLimits(int16_t slot) { return slot < 10 ? Win.Pt_Lim[slot] : Cnv.Pt_LimPool[slot]; }

OsiIdState OSIFileIdState(int32_t id) {
  const uint16_t op = static_cast<uint16_t>(id);
  if (op == static_cast<uint16_t>(OSI_NETCDF)) return OsiIdState::Pending;
  for (const IdRow& row : kIds)
    if (static_cast<uint16_t>(row.id) == op) return row.available ? OsiIdState::Available : OsiIdState::Pending;
  return OsiIdState::Unknown;
}

namespace {

// What the frame opens for an operation.
struct FrameNeeds {
  bool input = true;       // the input file is opened for reading
  bool outputName = true;  // an output name must be given
  bool openOutput = true;  // the frame creates the output (a temporary file beside it)
};

FrameNeeds NeedsOf(int32_t id, const char* outName) {
  FrameNeeds needs;
  switch (static_cast<uint16_t>(id)) {
    case OSI_BLANK_FILE: needs.input = false; break;  // creates a file from nothing
    case OSI_SATN_FIT: needs.input = needs.outputName = needs.openOutput = false; break;  // files of its own
    case OSI_DELETE: needs.outputName = needs.openOutput = false; break;
    case OSI_SORT:
    case OSI_BBMWSEQSPLIT:
    case OSI_PMT_DISC: needs.openOutput = false; break;  // write files of their own
    case OSI_APPEND:  // without an output name the second file is appended to the input itself
      needs.outputName = false;
      needs.openOutput = outName && outName[0];
      break;
    default: break;
  }
  return needs;
}

}  // namespace

int32_t OSIFile(int16_t slot, int32_t chn, int32_t id, char* inName, char* outName, int16_t variant, int16_t prompt,
                int16_t report) {
  Trace(DEBUG_ENTER);
  // Refuse before any file is touched: an id without an operation would otherwise
  // leave an empty output (or, with equal names, an empty file in place of the input).
  switch (OSIFileIdState(id)) {
    case OsiIdState::Available: break;
    case OsiIdState::Pending:
      core_io::Info("OPTION NOT CURRENTLY AVAILABLE");
      Trace(DEBUG_EXIT);
      return 0;
    case OsiIdState::Unknown:
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nNO OPERATION HAS THIS ID\n\nABORTING", id));
      Trace(DEBUG_EXIT);
      return 0;
  }
  if (slot < 0 || slot >= CNV_SLOTS) {
    Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nINVALID PARAMETER SLOT=[%d]\n\nABORTING", id, slot));
    Trace(DEBUG_EXIT);
    return 0;
  }
  const FrameNeeds needs = NeedsOf(id, outName);
  const bool haveIn = inName && inName[0];
  const bool haveOut = outName && outName[0];
  if ((needs.input && !haveIn) || (needs.outputName && !haveOut)) {
    Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nINPUT AND OUTPUT FILE NAMES REQUIRED\n\nABORTING", id));
    Trace(DEBUG_EXIT);
    return 0;
  }

  OsiFrame f;
  FrameGuard guard(f);
  f.slot = slot;
  f.chn = chn;
  f.id = id;
  f.variant = variant;
  f.prompt = prompt;
  f.report = report;
  f.inName = haveIn ? inName : "";

  // 1. The input.
  if (needs.input) {
    const std::string path = platform::MapPath(inName);
    f.in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (f.in >= 0 && (::fstat(f.in, &info) != 0 || !S_ISREG(info.st_mode))) {
      ::close(f.in);
      f.in = -1;
    }
    if (f.in < 0) {
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", id, inName));
      Trace(DEBUG_EXIT);
      return 0;
    }
    f.n = static_cast<int64_t>(info.st_size) / 4;
  }

  // 2. Equal names: ask, then write through the slot's temporary file.
  char requested[OSI_NAME_SIZE] = "";
  if (haveOut) StrCopy(requested, outName);
  // The output is looked up once: a new name is looked up ignoring case by reading
  // its whole folder.
  const std::string mappedOut = needs.openOutput ? platform::MapPath(requested) : std::string();
  const bool equal = needs.openOutput && needs.input && NamesSameFile(f.in, inName, outName, mappedOut);
  if (equal && prompt == 1) {
    const std::string question = StrPrintf("I/O FILENAMES ARE IDENTICAL\n\n[%s]\n\nOVERWRITE INPUT FILE?", inName);
    if (!core_io::AskYesNo(question)) {
      Trace(DEBUG_EXIT);
      return 0;
    }
  }

  // 3. The output, always a temporary file beside the requested one.
  std::string tempName;
  std::string mappedTemp;
  bool reused = false;
  if (needs.openOutput) {
    f.out = CreateTemp(slot, requested, mappedOut, &tempName, &mappedTemp, &reused);
    if (f.out < 0) {
      const char* kind = static_cast<uint16_t>(id) == OSI_ASCII_OUTPUT ? "ASCII" : "BINARY";
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO CREATE %s FILE=[%s] FOR WRITING\n\nABORTING", id, kind,
                     requested));
      Trace(DEBUG_EXIT);
      return 0;
    }
    if (equal) StrCopy(outName, OSI_NAME_SIZE, tempName.c_str());
  }
  f.outName = requested;
  f.ownInput = equal;

  // 4. The point range.
  if (needs.input) PointRange(slot, f.n, &f.lo, &f.hi);
  f.limited = needs.input && Cnv.Lim_Stat[slot] == 1;

  // 5. The block buffers.
  if (!TakeBlocks(f)) {
    core_io::Error("OSIFile()\n\nblk_fpt/blk_lpt/blk_spt - CORE ALLOCATION ERROR");
    if (f.out >= 0) {
      ::close(f.out);
      f.out = -1;
      (void)::unlink(mappedTemp.c_str());
    }
    if (haveOut) StrCopy(outName, OSI_NAME_SIZE, requested);
    Trace(DEBUG_EXIT);
    return 0;
  }

  // 6. The operation.
  OsiEnd end = Dispatch(f);
  if (f.stopped) end = OsiEnd::Declined;
  // An output made of nothing never takes the place of the input it was made from.
  if (end == OsiEnd::NothingMade) end = equal ? OsiEnd::Declined : OsiEnd::Done;

  // 7. Close, then put the output in place (one atomic rename over the old file).
  int32_t result = end == OsiEnd::Done ? 1 : 0;
  // A failure that keeps what it wrote puts it in place all the same, unless it
  // would replace its own input.
  bool keep = end == OsiEnd::FailedKeep && !equal;
  if (f.out >= 0) {
    // A file written over in place ends where the operation stopped writing: every
    // operation writes its output from the start in order.
    const bool cut = !reused || platform::CutAtOffset(f.out);
    const bool closed = ::close(f.out) == 0 && cut;
    if (!closed && (result == 1 || keep)) {
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO WRITE BINARY FILE=[%s]\n\nABORTING", id, requested));
      result = 0;
    }
    if (!closed) keep = false;
    f.out = -1;
  }
  if (f.in >= 0) {
    ::close(f.in);
    f.in = -1;
  }
  if (haveOut) StrCopy(outName, OSI_NAME_SIZE, requested);
  if (needs.openOutput) {
    if (result == 1 || keep) {
      if (equal) {
        if (Debug.DebugLevel == DEBUG_TOPIC_FILEOPS)
          DebugPrintf("RENAMING FILE FROM [%s] TO [%s]\n", requested, tempName.c_str());
        StrCopy(inName, OSI_NAME_SIZE, requested);
      }
      const bool exchanged =
          platform::KeepingReplacedFiles() && ExchangeIntoPlace(slot, tempName, mappedTemp, mappedOut);
      if (!exchanged && ::rename(mappedTemp.c_str(), mappedOut.c_str()) != 0) {
        Warn(StrPrintf("OSIFile()\n\n[%d] FAILED TO RENAME FILE FROM [%s] TO [%s]", id, tempName.c_str(), requested));
        result = 0;  // the data stay in the temporary file
      }
    } else if (end == OsiEnd::Declined || !equal) {
      // Nothing to keep: the old file stays as it was.
      (void)::unlink(mappedTemp.c_str());
    }
    // A failed operation on its own input leaves its partial temporary file for
    // inspection; the input is untouched either way.
  }

  // 8. Report.
  if (report == 1 && result == 1 && haveOut) {
    if (Cnv.Lim_Stat[slot] == 1)
      core_io::Info(StrPrintf("[%s] CONVERTED TO [%s]\n\nOVER LIMITS FROM [%lld] TO [%lld]", f.inName, outName,
                              static_cast<long long>(f.lo), static_cast<long long>(f.hi)));
    else
      core_io::Info(StrPrintf("[%s] CONVERTED TO [%s]", f.inName, outName));
  }
  Trace(DEBUG_EXIT);
  return result;
}
