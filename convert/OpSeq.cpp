// The operation-sequence interpreter: choice of the command file, the log, the main
// loop with its blocks, the keyword lookup and the end of a run.
#include "convert/OpSeq.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

#include "convert/OpSeqInternal.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/Threads.h"
#include "filelib/FileManip.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Process.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Window.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Locks.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

const char OpSeqKeywordTable[OPSEQ_KEYWORDS][50] = {
    "CHNSUB",        "CHOPSEQ_FILE",   "FFTWINSEQ",      "FFTSEQ_ARY",     "FFTSEQ_FILE",    "SCALE",
    "OFFSET",        "SCALE2MKS",      "SQR",            "LOG10",          "NATLOG",         "SMOOTH",
    "AVERAGE",       "DEGLITCH",       "SUBTRACT",       "CUTSECT_FILE",   "REMSECT_FILE",   "ZEROSECT_FILE",
    "ADDSECT_FILE",  "SHIFTSECT_FILE", "REPSECT_FILE",   "APPEND_FILE",    "REVERSE_FILE",   "SORT_FILE",
    "MULTDIV_FILE",  "PEAKFIND",       "JUMPFIND",       "CALIB",          "NORMALIZE",      "ASCII2BIN",
    "LINEARIZE",     "THZLINEARIZE",   "REPEATLINEARIZE", "AVEDSPFILES",   "BBMWSEQSPLIT",   "AVEVALUE",
    "COMBINTG",      "SEQCOADD",       "SEQDUP",         "SEQCMP",         "SEQREP",         "RESIZE_FILE",
    "LECROYDELETE",  "SEQCCFILEFIX",   "SEQCC2FILE",     "COADD_FILE",     "NLLSF_FIT",      "S2F_FILE",
    "L2F_FILE",      "D2F_FILE",       "DELETE_FILE",    "REPACK_FILE",    "SCLOFS_FILE",    "MIXINGRATIO_FILE",
    "AVEOFFSET"};

int32_t OpSeqKeywordIndex(const char* keyword) {
  for (int32_t i = 0; i < OPSEQ_KEYWORDS; ++i) {
    if (std::strcmp(OpSeqKeywordTable[i], keyword) == 0) return i;
  }
  return -1;
}

namespace opseq {

namespace {

constexpr size_t kLineCap = 1498;        // characters of a line read in one piece
constexpr size_t kSummaryCap = 14999;    // characters of the automatic-run summary
constexpr const char* kLogName = "OpSeq.log";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The first blank-separated token of text (empty when there is none).
std::string FirstToken(const std::string& text) {
  size_t b = 0;
  while (b < text.size() && IsBlank(text[b])) ++b;
  size_t e = b;
  while (e < text.size() && !IsBlank(text[e])) ++e;
  return text.substr(b, e - b);
}

void CutAtLineFeed(std::string* line) {
  const size_t lf = line->find('\n');
  if (lf != std::string::npos) line->resize(lf);
}

bool IsBlockKeyword(const std::string& t) {
  return t == "START" || t == "Start" || t == "start" || t == "STOP" || t == "Stop" || t == "stop";
}

bool IsStart(const std::string& t) { return t == "START" || t == "Start" || t == "start"; }

// The first three characters of two texts agree (as far as the shorter one goes, and
// both end at the same place when one is shorter than three).
bool First3Equal(const std::string& a, const std::string& b) { return a.substr(0, 3) == b.substr(0, 3); }

bool Exists(const char* name) { return platform::FileExists(name); }

// Block state of the main loop.
enum : int32_t { kNoBlock = 4, kRunBlock = 6, kSkipBlock = 7 };

struct Blocks {
  int32_t state = kNoBlock;
  int32_t automatic = 0;   // A
  int32_t prompted = 1;    // P
  int32_t counter = 1;
  bool tagSet = false;
  std::string tag;
  std::string description;
  std::string summary;
};

void AppendSummary(Blocks* b, const std::string& text) {
  if (b->summary.size() >= kSummaryCap) return;
  b->summary += text.substr(0, kSummaryCap - b->summary.size());
}

// Handles a START or STOP line; false when the run ends.
bool BlockLine(Run& run, Blocks* b, const std::string& t, std::string line) {
  const size_t lenT = t.size();
  std::string selector;
  if (line.size() >= lenT + 3) selector = FirstToken(line.substr(lenT + 1));
  if (IsStart(t)) {
    if (selector.compare(0, 2, "[-") == 0) {
      b->automatic = 0;
      b->prompted = 0;
      b->tag.assign(1, '[');
      b->tag.append(selector, 2, std::string::npos);
    } else {
      b->prompted = 1;
      b->tag = selector.substr(0, 3);
    }
    b->tagSet = true;
  }
  const bool same = b->tagSet && First3Equal(selector, b->tag);
  if (b->prompted == 0 && !(b->tag.size() > 1 && b->tag[1] == 'X')) {
    if (!same) {
      b->state = kSkipBlock;
      return true;
    }
    b->state = kRunBlock;
  }
  if (b->prompted == 1 && same) {
    if (b->automatic == 0) {
      b->summary = "AUTOMATIC OPERATIONAL SEQUENCE:\n\n";
    } else {
      b->counter += 1;
    }
    b->automatic = 1;
    b->state = kRunBlock;
    run.noAutoBlockYet = 0;
    b->description = line.size() > lenT + 1 ? line.substr(lenT + 1) : std::string();
    if (!b->description.empty()) b->description.pop_back();
    return true;
  }
  if (b->automatic == 1 && !same) {
    b->state = kSkipBlock;
    return true;
  }
  if (b->state == kRunBlock || b->state == kSkipBlock || IsStart(t)) {
    if (!line.empty()) line.pop_back();
    std::string text;
    if (line.size() >= lenT + 1) {
      text = StrPrintf("[%d] %s %s\n\nPERFORM OPERATION(S) [YES] | SKIP [NO] | ABORT [CANCEL]?", b->counter,
                       b->tag.c_str(), line.substr(lenT + 1).c_str());
    } else {
      text = StrPrintf("[%d] PERFORM OPERATION(S) [YES] | SKIP [NO] | ABORT [CANCEL]?", b->counter);
    }
    const int answer = MessageBox(Win.hWnd_Main, text.c_str(), "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
    if (answer == IDYES) {
      b->state = kRunBlock;
      b->counter += 1;
      return true;
    }
    if (answer == IDNO) {
      b->state = kSkipBlock;
      return true;
    }
    return false;
  }
  return false;
}

// Chooses the command file (see the header); fills name, false when the run ends.
bool ChooseCommandFile(std::string* chosen) {
  char n[200];
  char m[200];
  StrCopy(n, Cnv.OpSeq_Flnm);
  const char* s = Cnv.OpSeq_Sub;
  if (Exists(n)) {
    if (ManFlnmReplaceFirstNumber(n, m, s) == 0) return false;
  } else if (ManFlnmSubstitute("OpSeq?.dat", m, s) == 0) {
    return false;
  }
  if (!Exists(n) && !Exists(m) && ManFlnmSubstitute("OpSeq?F.dat", m, s) == 0) return false;
  if (!Exists(n) && !Exists(m) && ManFlnmSubstitute("OpSeq?A.dat", m, s) == 0) return false;
  if (!Exists(n) && !Exists(m)) {
    char* end = nullptr;
    const int64_t k = std::strtoll(s, &end, 10);
    if (end != s && k >= 0) {
      ManFlnmSubstitute("OpSeq?.dat", n, StrPrintf("%02" PRId64, k - 1).c_str());
    }
    if (!Exists(n)) {
      StrCopy(n, "OpSeq100F.dat");
      if (ManFlnmSubstitute("OpSeq?F.dat", m, s) == 0) return false;
    }
    if (!Exists(n)) {
      core_io::Warning(StrPrintf("NEITHER OPSEQ FILE [%s] | [%s] EXISTS\n\nABORTING", n, m));
      return false;
    }
    const int copy = MessageBox(Win.hWnd_Main, StrPrintf("OPSEQ FILE [%s] EXISTS\n\nCOPY TO [%s] [YES] | ABORT [NO]?", n, m).c_str(),
                                "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO);
    if (copy != IDYES) return false;
  }
  std::string text;
  if (Exists(m)) {
    text = StrPrintf("OPSEQ FILE [%s] EXISTS\n\nEDIT USING 'vi' [YES] | 'wordpad' [NO]\n\nRUN [%s] [CANCEL]?", m, m);
  } else {
    text = StrPrintf("COPIED [%s] TO [%s]\n\nEDIT USING 'vi' [YES] | 'wordpad' [NO]\n\nRUN [%s] [CANCEL]?", n, m, m);
    CopyFile(n, m, TRUE);
  }
  StrCopy(n, m);
  StrCopy(Cnv.OpSeq_Flnm, n);
  const int edit = MessageBox(Win.hWnd_Main, text.c_str(), "Question", MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
  if (edit == IDYES) {
    platform::ShellStartProgram("gvim", n, "");
  } else if (edit == IDNO) {
    platform::ShellStartProgram("wordpad", n, "");
  }
  *chosen = n;
  return true;
}

// Runs fn where the shared records belong: on the main window's thread (on the
// caller's when there is none), under CnvPublishLock.
void OnRecordsThread(const std::function<void()>& fn) { platform::RunLockedOnWindowThread(Win.hWnd_Main, CnvPublishLock, fn); }

// The run's own conversion record: a copy of the shared one taken when the run starts,
// which this thread (and the pool workers it starts) works on. Publish hands back to the
// shared record what the run changed since the last hand-over, byte by byte, so a
// field that the dialogs stored meanwhile and the run did not change keeps their value.
class RunRecord {
 public:
  RunRecord() : copy_(std::make_unique<CnvRecord>()), base_(std::make_unique<CnvRecord>()) {
    OnRecordsThread([this] { *copy_ = CnvShared; });
    *base_ = *copy_;
    CnvThreadCopy = copy_.get();
  }
  ~RunRecord() { CnvThreadCopy = nullptr; }
  RunRecord(const RunRecord&) = delete;
  RunRecord& operator=(const RunRecord&) = delete;

  void Publish() {
    const auto* now = reinterpret_cast<const unsigned char*>(copy_.get());
    auto* before = reinterpret_cast<unsigned char*>(base_.get());
    if (std::memcmp(now, before, sizeof(CnvRecord)) == 0) return;
    OnRecordsThread([now, before] {
      auto* shared = reinterpret_cast<unsigned char*>(&CnvShared);
      for (size_t i = 0; i < sizeof(CnvRecord); ++i)
        if (now[i] != before[i]) shared[i] = now[i];
    });
    std::memcpy(before, now, sizeof(CnvRecord));
  }

 private:
  std::unique_ptr<CnvRecord> copy_;
  std::unique_ptr<CnvRecord> base_;
};
static_assert(std::is_trivially_copyable_v<CnvRecord>, "the run's record is handed back byte by byte");

}  // namespace

void Run::LogLine(const std::string& text) {
  if (log && log->IsOpen()) log->Write(text + "\n");
}

void Run::ReadArgs() {
  std::string line;
  while (cmd && cmd->ReadLine(line)) {
    args = line;
    if (FirstToken(line).empty() || line[0] == '#') continue;
    break;
  }
  CutAtLineFeed(&args);
  // The log is in the file, up to this line, before the command runs.
  if (log && log->IsOpen() && log->Write(StrPrintf("   OPSEQ ARGS=[%s]\n", args.c_str()))) log->Flush();
}

void Run::CloseFiles() {
  if (!filesOpen) return;
  filesOpen = false;
  if (cmd) cmd->Close();
  // A log whose lines could not all be written says so: the run itself has ended.
  if (log && log->IsOpen() && !log->Commit())
    core_io::Warning(StrPrintf("FAILED TO WRITE ASCII OPERATIONAL SEQUENCE LOG FILE [%s]", kLogName));
}

void Run::Fail(const std::string& text) {
  LogLine(text);
  CloseFiles();
  // A command that a stop ended did not fail: the user asked for the end.
  if (!OpSeqStopAsked()) core_io::Warning(text);
  going = false;
}

}  // namespace opseq

DWORD CnvOperationSequence(void* /*parameter*/) {
  using namespace opseq;
  // The sequence runs until this routine has ended, whatever a command clears.
  struct AliveUntilTheEnd {
    ~AliveUntilTheEnd() { ThreadCtl.OpSeq_Alive = 0; }
  } alive;
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "CnvOperationSequence()", DEBUG_ENTER);
  RunRecord record;
  Run run;
  Blocks blocks;
  platform::TextFileReader cmd(kLineCap);
  platform::TextFileWriter log;
  run.cmd = &cmd;
  run.log = &log;
  std::string name;
  run.going = ChooseCommandFile(&name);
  record.Publish();  // the command file that runs, for the dialog to show
  if (run.going && !cmd.Open(name.c_str())) {
    core_io::Warning(StrPrintf(
        "FAILED TO OPEN ASCII OPERATIONAL SEQUENCE COMMAND FILE [%s] FOR READING\n\nABORTING", name.c_str()));
    run.going = false;
  }
  // The log is written where it lies, so that it can be read while the run goes on
  // and keeps what was written when the run does not end.
  if (run.going && !log.OpenInPlace(kLogName)) {
    cmd.Close();
    core_io::Warning(StrPrintf(
        "FAILED TO CREATE ASCII OPERATIONAL SEQUENCE LOG FILE [%s] FOR WRITING\n\nABORTING", kLogName));
    run.going = false;
  }
  if (run.going) {
    run.filesOpen = true;
    run.commandFile = name;
  }
  std::string line;
  while (run.going && ThreadCtl.OpSeq_Stop == 0 && cmd.ReadLine(line)) {
    CutAtLineFeed(&line);
    run.LogLine(StrPrintf("OPSEQ LINE=[%s]", line.c_str()));
    const std::string t = FirstToken(line);
    if (t.empty()) continue;
    if (IsBlockKeyword(t)) {
      if (!BlockLine(run, &blocks, t, line)) break;
      continue;
    }
    if (blocks.state == kSkipBlock) continue;
    if (t[0] == '#') continue;
    const int32_t index = OpSeqKeywordIndex(t.c_str());
    if (index < 0) {
      const std::string text =
          StrPrintf("COMMAND STR=[%s] NOT VALID\n\nTOTAL COMMANDS=[%d]\n\nABORTING", t.c_str(), OPSEQ_KEYWORDS);
      core_io::Warning(text);
      run.LogLine(t);
      break;
    }
    if (blocks.automatic == 1 && t != "CHNSUB") {
      AppendSummary(&blocks, StrPrintf("[%d] %s\t\t%s\n", blocks.counter, t.c_str(), blocks.description.c_str()));
    }
    run.LogLine(StrPrintf("   OPSEQ CMD=[%s] CMD_ID=[%d]", t.c_str(), index));
    core_io::StatusText(0, StrPrintf("PROCESSING CMD [%s]", t.c_str()));
    run.keyword = t;
    run.args = line;
    run.ReadArgs();
    CommandHandler(index)(run);
    record.Publish();
  }
  // A run the user stopped ends as a terminated one would, without its summary.
  if (blocks.automatic == 1 && !OpSeqStopAsked()) core_io::Info(blocks.summary);
  run.CloseFiles();
  record.Publish();
  ThreadCtl.OpSeq_Running = 0;
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, "CnvOperationSequence()", DEBUG_EXIT);
  return 1;
}

void CnvOperationSequenceStop() {
  HANDLE thread = ThreadCtl.OpSeq_Thread;
  if (thread && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
    ThreadCtl.OpSeq_Stop = 1;
    WaitForSingleObject(thread, INFINITE);
  }
  ThreadCtl.OpSeq_Stop = 0;
  ThreadCtl.OpSeq_Running = 0;
  ThreadCtl.OpSeq_Alive = 0;
}
