#include "core/BinFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/TypedArrays.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Win.h"

namespace {

constexpr UINT kWarning = MB_SYSTEMMODAL | MB_ICONEXCLAMATION;  // 0x1030
constexpr UINT kError = MB_SYSTEMMODAL | MB_ICONHAND;           // 0x1010
constexpr UINT kQuestion = MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO;  // 0x1024

int ElementWidth(int16_t type) { return type == BIN_ELEM_DOUBLE ? 8 : 4; }

// Conversion to a 32-bit integer truncates toward zero; values outside the range
// saturate and NaN gives 0, where a plain cast would be undefined.
int32_t ToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

bool WriteAll(int fd, const void* data, size_t bytes) {
  const char* p = static_cast<const char*>(data);
  while (bytes > 0) {
    ssize_t done = ::write(fd, p, bytes);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

// Reads up to bytes at offset; what lies past the end of the file stays as it was.
bool ReadAt(int fd, void* data, size_t bytes, uint64_t offset) {
  char* p = static_cast<char*>(data);
  while (bytes > 0) {
    ssize_t done = ::pread(fd, p, bytes, static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (done == 0) break;
    p += done;
    bytes -= static_cast<size_t>(done);
    offset += static_cast<uint64_t>(done);
  }
  return true;
}

void Box(const std::string& text, const char* caption, UINT style) {
  MessageBox(Win.hWnd_Main, text.c_str(), caption, style);
}

const char* TmpName(int16_t type) {
  return type == BIN_ELEM_INT32 ? "tmp_lpt" : (type == BIN_ELEM_FLOAT ? "tmp_fpt" : "tmp_dpt");
}

}  // namespace

int32_t ManBinFileWrite(const char* name, int32_t* la, float* fa, double* da, int16_t type, uint32_t lo,
                        int32_t hi, int32_t append, int32_t ask) {
  if (!la && !fa && !da) {
    Box("ManBinFileWrite()\n\nALL POINTERS ARE NULL\n\nABORTING", "Warning", kWarning);
    return 0;
  }
  if (!name) name = "";
  if (type != BIN_ELEM_INT32 && type != BIN_ELEM_FLOAT && type != BIN_ELEM_DOUBLE) return 1;
  const std::string path = platform::MapPath(name);
  struct stat info;
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (append == 1 && !exists) append = 0;
  if (ask == 1 && exists) {
    std::string question = StrPrintf("OUTPUT FILE [%s] EXISTS\n\nOVERWRITE [YES] | ABORT [NO]?", name);
    if (MessageBox(Win.hWnd_Main, question.c_str(), "Question", kQuestion) != IDYES) return 1;
  }
  // An empty or reversed range is refused before the file is touched, so the old
  // contents survive.
  if (hi < 0 || static_cast<uint32_t>(hi) <= lo) {
    Box(StrPrintf("ManBinFileWrite()\n\nOUTPUT BINARY FILE=[%s] HAS ZERO LENGTH\n\nABORTING", name), "Warning",
        kWarning);
    return 0;
  }
  const size_t count = static_cast<uint32_t>(hi) - lo;
  const size_t width = static_cast<size_t>(ElementWidth(type));

  // Elements in the file's type: the caller's own array when the types agree,
  // otherwise a converted copy.
  const void* elements = nullptr;
  int32_t* tmpL = nullptr;
  float* tmpF = nullptr;
  double* tmpD = nullptr;
  const bool same = (type == BIN_ELEM_INT32 && la) || (type == BIN_ELEM_FLOAT && !la && fa) ||
                    (type == BIN_ELEM_DOUBLE && !la && !fa && da);
  if (same) {
    elements = la ? static_cast<const void*>(la + lo)
                  : (fa ? static_cast<const void*>(fa + lo) : static_cast<const void*>(da + lo));
  } else {
    int32_t status = type == BIN_ELEM_INT32   ? IAlloc1Dim(&tmpL, static_cast<uint32_t>(count))
                     : type == BIN_ELEM_FLOAT ? FAlloc1Dim(&tmpF, static_cast<uint32_t>(count))
                                              : DAlloc1Dim(&tmpD, static_cast<uint32_t>(count));
    if (QvAllocFailed(status)) {
      Box(StrPrintf("ManBinFileWrite()/%s - CORE ALLOCATION ERROR", TmpName(type)), "Warning", kWarning);
      return 0;
    }
    for (size_t i = 0; i < count; ++i) {
      const size_t k = lo + i;
      double value = la ? static_cast<double>(la[k]) : (fa ? static_cast<double>(fa[k]) : da[k]);
      if (tmpL) tmpL[i] = ToInt32(value);
      if (tmpF) tmpF[i] = la ? static_cast<float>(la[k]) : static_cast<float>(da[k]);
      if (tmpD) tmpD[i] = value;
    }
    elements = tmpL ? static_cast<const void*>(tmpL)
                    : (tmpF ? static_cast<const void*>(tmpF) : static_cast<const void*>(tmpD));
  }

  bool ok = false;
  if (append == 1) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    if (fd >= 0) {
      off_t before = ::lseek(fd, 0, SEEK_END);
      ok = WriteAll(fd, elements, count * width);
      if (!ok && before >= 0 && ::ftruncate(fd, before) != 0) {
        // The partial tail could not be removed; the failure is reported below.
      }
      ok = (::close(fd) == 0) && ok;
    }
  } else {
    // A new file is written beside the old one and renamed over it only when every
    // write succeeded, so a failure never destroys the old data.
    std::string temp;
    int fd = platform::CreateTempBeside(path, &temp);
    if (fd >= 0) {
      ok = WriteAll(fd, elements, count * width);
      ok = (::close(fd) == 0) && ok;
      if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
      if (!ok) ::unlink(temp.c_str());
    }
  }
  IFree1Dim(&tmpL);
  FFree1Dim(&tmpF);
  DFree1Dim(&tmpD);
  if (!ok) {
    Box(StrPrintf("ManBinFileWrite()\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", name), "Warning",
        kWarning);
    return 0;
  }
  return 1;
}

int32_t ManBinFileRead(const char* name, int32_t** la, float** fa, double** da, int16_t type, uint32_t lo,
                       uint32_t hi, uint32_t* n, int16_t warn) {
  if (!name) name = "";
  if (type != BIN_ELEM_INT32 && type != BIN_ELEM_FLOAT && type != BIN_ELEM_DOUBLE) type = BIN_ELEM_FLOAT;
  const std::string path = platform::MapPath(name);
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    if (warn == 1)
      Box(StrPrintf("ManBinFileRead()\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", name), "Warning",
          kWarning);
    return 0;
  }
  struct stat info;
  const uint64_t length = ::fstat(fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
  const uint64_t width = static_cast<uint64_t>(ElementWidth(type));
  // A file shorter than one element holds nothing to read.
  if (length / width == 0) {
    ::close(fd);
    Box(StrPrintf("ManBinFileRead()\n\nBINARY INPUT FILE [%s] HAS ZERO LENGTH\n\nABORTING", name), "Warning",
        kWarning);
    return 0;
  }
  const uint64_t elementsInFile = length / width;
  if (elementsInFile > 0xFFFFFFFFull) {
    ::close(fd);
    Box(StrPrintf("ManBinFileRead()\n\nBINARY INPUT FILE [%s] IS TOO LARGE\n\nABORTING", name), "Warning", kWarning);
    return 0;
  }
  uint32_t count = static_cast<uint32_t>(elementsInFile);
  if (hi != 0 && hi <= lo) {
    ::close(fd);
    Box(StrPrintf("ManBinFileRead()\n\nRANGE [%u]-[%u] NOT VALID\nBINARY FILE=[%s]\n\nABORTING", lo, hi, name),
        "Warning", kWarning);
    return 0;
  }
  if (hi != 0 && hi <= count) {
    count = hi - lo;
  } else if (hi != 0) {
    Box(StrPrintf("ManBinFileRead()\n\nRANGE [%u]-[%u] EXCEEDS\nBINARY FILE=[%s] SIZE=[%u]\n\nRESET TO [%u] & "
                  "CONTINUING",
                  lo, hi, name, count, count),
        "Warning", kWarning);
  }

  int32_t* tmpL = nullptr;
  float* tmpF = nullptr;
  double* tmpD = nullptr;
  int32_t status = type == BIN_ELEM_INT32   ? IAlloc1Dim(&tmpL, count)
                   : type == BIN_ELEM_FLOAT ? FAlloc1Dim(&tmpF, count)
                                            : DAlloc1Dim(&tmpD, count);
  if (QvAllocFailed(status)) {
    ::close(fd);
    Box(StrPrintf("ManBinFileRead()/%s - CORE ALLOCATION ERROR", TmpName(type)), "Error", kError);
    return 0;
  }
  void* tmp = tmpL ? static_cast<void*>(tmpL) : (tmpF ? static_cast<void*>(tmpF) : static_cast<void*>(tmpD));
  const bool readOk = ReadAt(fd, tmp, static_cast<size_t>(count) * width, static_cast<uint64_t>(lo) * width);
  ::close(fd);
  if (!readOk) {
    IFree1Dim(&tmpL);
    FFree1Dim(&tmpF);
    DFree1Dim(&tmpD);
    Box(StrPrintf("ManBinFileRead()\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", name), "Warning", kWarning);
    return 0;
  }
  auto valueAt = [&](uint32_t i) -> double {
    return tmpL ? static_cast<double>(tmpL[i]) : (tmpF ? static_cast<double>(tmpF[i]) : tmpD[i]);
  };

  int32_t result = 1;
  auto requestCheck = [&](bool exists, const char* caption, UINT style) {
    if (n && exists && count < *n)
      Box(StrPrintf("ManBinFileRead()\n\nREQUEST SIZE=[%u] > FILE SIZE=[%u]\n\nSET TO FILE SZ", *n, count), caption,
          style);
    if (n) *n = count;
  };
  if (la && result == 1) {
    requestCheck(*la != nullptr, "Warning", kWarning);
    if (QvAllocFailed(LReAlloc1Dim(la, count))) {
      Box("ManBinFileRead()/io_lptpt - CORE ALLOCATION ERROR", "Error", kError);
      result = 0;
    } else {
      for (uint32_t i = 0; i < count; ++i) (*la)[i] = tmpL ? tmpL[i] : ToInt32(valueAt(i));
    }
  }
  if (fa && result == 1) {
    requestCheck(*fa != nullptr, "Error", kError);
    if (QvAllocFailed(FReAlloc1Dim(fa, count))) {
      Box("ManBinFileRead()/io_fptpt - CORE ALLOCATION ERROR", "Error", kError);
      result = 0;
    } else {
      for (uint32_t i = 0; i < count; ++i) (*fa)[i] = tmpL ? static_cast<float>(tmpL[i]) : static_cast<float>(valueAt(i));
    }
  }
  if (da && result == 1) {
    requestCheck(*da != nullptr, "Error", kError);
    if (QvAllocFailed(DReAlloc1Dim(da, count))) {
      Box("ManBinFileRead()/io_dptpt - CORE ALLOCATION ERROR", "Error", kError);
      result = 0;
    } else {
      for (uint32_t i = 0; i < count; ++i) (*da)[i] = valueAt(i);
    }
  }
  IFree1Dim(&tmpL);
  FFree1Dim(&tmpF);
  DFree1Dim(&tmpD);
  return result;
}

std::string MissingValueText(double v) {
  std::string text = StrPrintf("%g", v);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

int64_t BinFileElements(const char* name, int16_t type) {
  int64_t bytes = 0;
  if (!name || !platform::GetFileSize64(name, &bytes) || bytes < 0) return -1;
  return bytes / ElementWidth(type);
}
