#include "fileproc/FileOps.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "core/DebugLog.h"
#include "core/FileIo.h"
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
    {OSI_LOG10, true},          {OSI_NATLOG, true},         {OSI_SMOOTH, false},      {OSI_AVERAGE, true},
    {OSI_DEGLITCH, false},      {OSI_SUBTRACT, true},      {OSI_CUTSECT, false},     {OSI_DELSECT, false},
    {OSI_ZEROSECT, false},      {OSI_ADDSECT, false},       {OSI_SHIFTSECT, false},   {OSI_REVERSE, false},
    {OSI_SORT, false},          {OSI_NORMALIZE, true},     {OSI_BBMWSEQSPLIT, false}, {OSI_COMBINTG, false},
    {OSI_SEQCOADD, false},      {OSI_SEQDUP, false},        {OSI_SEQCMP, false},      {OSI_RESIZE, false},
    {OSI_LECROYDELETE, false},  {OSI_SHORT2FLOAT, true},    {OSI_LONG2FLOAT, true},   {OSI_DOUBLE2FLOAT, true},
    {OSI_DELETE, false},        {OSI_REPACK, false},        {OSI_SCLOFS, true},      {OSI_MIXINGRATIO, true},
    {OSI_AVE_OFFSET, true},     {OSI_SWAP_BYTES, true},     {OSI_INVERT, true},       {OSI_TRUNCATE_END, false},
    {OSI_RAND_NOISE, false},    {OSI_ALLAN_VAR, false},     {OSI_FLIP, true},         {OSI_MULTIPLY, true},
    {OSI_APPEND, false},        {OSI_PMT_DISC, false},      {OSI_SATN_FIT, false},    {OSI_SATN_CORR, false},
    {OSI_SEQ_RATIO, false},     {OSI_ASCII_OUTPUT, false},  {OSI_BLANK_FILE, false},
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
bool NamesSameFile(int inFd, const char* inName, const char* outName) {
  if (std::strcmp(inName, outName) == 0) return true;
  struct stat a;
  struct stat b;
  if (::fstat(inFd, &a) != 0) return false;
  const std::string mapped = platform::MapPath(outName);
  if (::stat(mapped.c_str(), &b) != 0) return false;
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

// Creates the first free "__qvosi%03d.tmp" / "__qvosi%03d_%03d.tmp" beside target and
// locks it for as long as it is open. Returns the descriptor and the name, or -1.
int CreateTemp(int16_t slot, const char* target, std::string* tempName) {
  const std::string prefix = FolderPrefix(target);
  struct stat targetInfo;
  const bool targetExists = ::stat(platform::MapPath(target).c_str(), &targetInfo) == 0;
  for (int k = -1; k < 1000; ++k) {
    std::string name = prefix + (k < 0 ? StrPrintf("__qvosi%03d.tmp", slot) : StrPrintf("__qvosi%03d_%03d.tmp", slot, k));
    if (name.size() >= OSI_NAME_SIZE) return -1;
    const std::string mapped = platform::MapPath(name.c_str());
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
  // Only slots 0..9 have point limits; the switch of a higher slot selects the whole file.
  if (Cnv.Lim_Stat[slot] != 1 || slot >= 10) return;
  int64_t l = Win.Pt_Lim[slot][0];
  int64_t h = Win.Pt_Lim[slot][1];
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
    default: return OsiEnd::Declined;  // not reached: refused before the frame opens anything
  }
}

// Owns the block buffers and the descriptors of one call.
struct FrameGuard {
  OsiFrame& f;
  explicit FrameGuard(OsiFrame& frame) : f(frame) {}
  ~FrameGuard() {
    if (f.in >= 0) ::close(f.in);
    if (f.out >= 0) ::close(f.out);
    f.in = f.out = -1;
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
  if (ThreadCtl.OpSeq_Stop == 1 && GetCurrentThreadId() == ThreadCtl.OpSeq_ThreadId) {
    stopped = true;
    return -1;
  }
  char* p = static_cast<char*>(buffer);
  const size_t want = count * width;
  size_t got = 0;
  while (got < want) {
    ssize_t done = ::read(in, p + got, want - got);
    if (done < 0) {
      if (errno == EINTR) continue;
      Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", id, inName));
      return -1;
    }
    if (done == 0) break;
    got += static_cast<size_t>(done);
  }
  // A trailing partial value is dropped; put the file position back after the last
  // whole value so that a following read starts at a value boundary.
  const size_t whole = got / width;
  if (got % width != 0) (void)::lseek(in, -static_cast<off_t>(got % width), SEEK_CUR);
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

OsiIdState OSIFileIdState(int32_t id) {
  const uint16_t op = static_cast<uint16_t>(id);
  if (op == static_cast<uint16_t>(OSI_NETCDF)) return OsiIdState::Pending;
  for (const IdRow& row : kIds)
    if (static_cast<uint16_t>(row.id) == op) return row.available ? OsiIdState::Available : OsiIdState::Pending;
  return OsiIdState::Unknown;
}

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
  if (!inName || !outName || !inName[0] || !outName[0]) {
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

  // 1. The input.
  {
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
  char requested[OSI_NAME_SIZE];
  StrCopy(requested, outName);
  const bool ownSorted = id == OSI_PMT_DISC || id == OSI_SORT;  // write their own files
  const bool equal = !ownSorted && NamesSameFile(f.in, inName, outName);
  if (equal && prompt == 1) {
    const std::string question = StrPrintf("I/O FILENAMES ARE IDENTICAL\n\n[%s]\n\nOVERWRITE INPUT FILE?", inName);
    if (!core_io::AskYesNo(question)) {
      Trace(DEBUG_EXIT);
      return 0;
    }
  }

  // 3. The output, always a temporary file beside the requested one.
  std::string tempName;
  f.out = CreateTemp(slot, requested, &tempName);
  if (f.out < 0) {
    Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO CREATE BINARY FILE=[%s] FOR WRITING\n\nABORTING", id,
                   requested));
    Trace(DEBUG_EXIT);
    return 0;
  }
  if (equal) StrCopy(outName, OSI_NAME_SIZE, tempName.c_str());
  f.inName = inName;
  f.outName = requested;

  // 4. The point range.
  PointRange(slot, f.n, &f.lo, &f.hi);

  // 5. The block buffers.
  if (QvAllocFailed(SAlloc1Dim(&f.blkS, OSI_BLOCK)) || QvAllocFailed(LAlloc1Dim(&f.blkL, OSI_BLOCK)) ||
      QvAllocFailed(FAlloc1Dim(&f.blkF, OSI_BLOCK)) || QvAllocFailed(DAlloc1Dim(&f.blkD, OSI_BLOCK))) {
    core_io::Error("OSIFile()\n\nblk_fpt/blk_lpt/blk_spt - CORE ALLOCATION ERROR");
    ::close(f.out);
    f.out = -1;
    DeleteFile(tempName.c_str());
    StrCopy(outName, OSI_NAME_SIZE, requested);
    Trace(DEBUG_EXIT);
    return 0;
  }

  // 6. The operation.
  OsiEnd end = Dispatch(f);
  if (f.stopped) end = OsiEnd::Declined;

  // 7. Close, then put the output in place (one atomic rename over the old file).
  int32_t result = end == OsiEnd::Done ? 1 : 0;
  if (::close(f.out) != 0 && result == 1) {
    Warn(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO WRITE BINARY FILE=[%s]\n\nABORTING", id, requested));
    result = 0;
  }
  f.out = -1;
  ::close(f.in);
  f.in = -1;
  StrCopy(outName, OSI_NAME_SIZE, requested);
  if (result == 1) {
    if (equal) {
      if (Debug.DebugLevel == DEBUG_TOPIC_FILEOPS)
        DebugPrintf("RENAMING FILE FROM [%s] TO [%s]\n", requested, tempName.c_str());
      StrCopy(inName, OSI_NAME_SIZE, requested);
    }
    if (!MoveFileEx(tempName.c_str(), requested, MOVEFILE_REPLACE_EXISTING)) {
      Warn(StrPrintf("OSIFile()\n\n[%d] FAILED TO RENAME FILE FROM [%s] TO [%s]", id, tempName.c_str(), requested));
      result = 0;  // the data stay in the temporary file
    }
  } else if (end == OsiEnd::Declined || !equal) {
    // Nothing to keep: the old file stays as it was.
    DeleteFile(tempName.c_str());
  }
  // A failed operation on its own input leaves its partial temporary file for
  // inspection; the input is untouched either way.

  // 8. Report.
  if (report == 1 && result == 1) {
    if (Cnv.Lim_Stat[slot] == 1)
      core_io::Info(StrPrintf("[%s] CONVERTED TO [%s]\n\nOVER LIMITS FROM [%lld] TO [%lld]", inName, outName,
                              static_cast<long long>(f.lo), static_cast<long long>(f.hi)));
    else
      core_io::Info(StrPrintf("[%s] CONVERTED TO [%s]", inName, outName));
  }
  Trace(DEBUG_EXIT);
  return result;
}
