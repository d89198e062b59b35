// Files and folders with the names the system stores: Windows-shaped names
// ("..\oh00.dat", "C:\data\x.bin") are mapped to this machine's names by MapPath,
// which every call here applies to the names it is given.
//
// The calls keep the classic shapes: BOOL results (TRUE / FALSE), and on failure
// platform::LastErrorText() says what went wrong. File sizes and offsets are 64-bit.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/kernel/WinTypes.h"

struct stat;

constexpr DWORD MAX_PATH = 260;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x00000002;

// Date and time fields of a moment, in local time.
struct SYSTEMTIME {
  WORD wYear = 0;
  WORD wMonth = 0;      // 1..12
  WORD wDayOfWeek = 0;  // 0 = Sunday
  WORD wDay = 0;        // 1..31
  WORD wHour = 0;
  WORD wMinute = 0;
  WORD wSecond = 0;
  WORD wMilliseconds = 0;
};

// Copies src to dst (through a temporary file beside dst, renamed over it at the
// end, so a failed copy leaves an old dst intact). failIfExists: fail when dst exists.
// A write-protected dst is not replaced (the copy fails).
// The copy keeps the source's modification time.
BOOL CopyFile(const char* src, const char* dst, BOOL failIfExists);
// Renames src to dst. Without MOVEFILE_REPLACE_EXISTING an existing dst makes it fail;
// with it the rename replaces dst atomically, unless dst is write-protected (then it
// fails and dst stays). Across devices the move fails unless
// MOVEFILE_COPY_ALLOWED is given: then src is copied (as CopyFile does) and deleted.
BOOL MoveFileEx(const char* src, const char* dst, DWORD flags);
BOOL MoveFile(const char* src, const char* dst);
BOOL DeleteFile(const char* name);
// Forms "<folder>/<prefix, up to 3 chars><hex>.tmp". unique 0: picks a number whose
// file does not exist yet and creates that file empty, so the name stays reserved;
// otherwise the name is formed from unique's low 16 bits and no file is created.
// Writes the mapped path into out (cap bytes) and returns the number used, 0 on
// failure (also when the path does not fit out).
UINT GetTempFileName(const char* folder, const char* prefix, UINT unique, char* out, size_t cap);
template <size_t N>
UINT GetTempFileName(const char* folder, const char* prefix, UINT unique, char (&out)[N]) {
  return GetTempFileName(folder, prefix, unique, out, N);
}
// Length written without the terminator; when buffer is too small (or nullptr), the
// size needed including the terminator; 0 on failure.
DWORD GetCurrentDirectory(DWORD cap, char* buffer);
BOOL SetCurrentDirectory(const char* name);
// Fails when the folder exists already or its parent does not.
BOOL CreateDirectory(const char* name, void* securityAttributes = nullptr);
BOOL RemoveDirectory(const char* name);  // the folder must be empty
void GetLocalTime(SYSTEMTIME* time);

namespace platform {

// Maps a stored name to this machine's name:
//  - backslashes become '/';
//  - "X:" at the start is replaced by the root set for drive X (SetDriveRoot);
//    every drive maps to "/" until set. "C:\a" is root + "/a", "C:a" root + "/a";
//  - when the name does not exist as it stands, each component is looked up in its
//    folder ignoring case (ASCII and the common Latin, Greek and Cyrillic letters in
//    UTF-8); an exact name always wins over one that differs in case, and among
//    several case-variants the first in byte order is taken. Components that are not
//    found are kept as they stand (so a new file's name maps predictably).
std::string MapPath(const char* name);
// root nullptr or "" restores the default "/".
void SetDriveRoot(char drive, const char* root);
void ResetDriveRoots();

// Compares two UTF-8 names ignoring case as MapPath does.
bool NamesEqualIgnoringCase(std::string_view a, std::string_view b);

bool FileExists(const char* name);       // a file or anything else that is not a folder
bool DirectoryExists(const char* name);
// True when two names reach the same file: the same path after mapping, or one
// existing file under two spellings (a link, another letter case).
bool SameFile(const char* a, const char* b);
BOOL GetFileSize64(const char* name, int64_t* size);
// The last modification time of the file as local date and time fields.
BOOL GetFileModifiedTime(const char* name, SYSTEMTIME* time);

// Copies the already mapped src to the already mapped dst through a temporary file
// beside dst. Used by CopyFile and the cross-device move.
BOOL CopyFileMapped(const std::string& src, const std::string& dst, bool failIfExists);

// False (with the error text) when the already mapped name is an existing file that
// the user may not write (judged as an open for writing is: effective user, groups and
// capabilities). A writer that puts a new file in the place of an old one refuses a
// write-protected old file as it refuses a file it cannot create, and keeps it.
bool MayWriteOver(const std::string& mapped);

// Creates a new, empty temporary file in the folder of the already mapped target
// (".<name>.<unique>.tmp"), open for writing, with the target's permissions when the
// target exists. Returns the descriptor (close-on-exec) and its path, or -1 with the
// error text set; also -1 when the target may not be written over (MayWriteOver).
int CreateTempBeside(const std::string& target, std::string* tempPath);
// Renames from over to, failing with EEXIST when to exists. Returns 0 or an errno value.
int RenameNoReplace(const std::string& from, const std::string& to);

// ---- replaced files kept for the next write ----------------------------------------------
// While one lives on a thread, writers that put a finished temporary file in the place
// of an existing one may keep the replaced file (ExchangeKeeping) and write their next
// temporary file over it in place. A long run of writes over existing files then
// neither creates nor frees a file for each, which is what makes many workers writing
// into one folder wait for each other. Scopes nest; when the outermost ends, every
// function registered with AtKeepEnd runs and lets go of what its writer keeps.
class KeepReplacedFiles {
 public:
  KeepReplacedFiles();
  ~KeepReplacedFiles();
  KeepReplacedFiles(const KeepReplacedFiles&) = delete;
  KeepReplacedFiles& operator=(const KeepReplacedFiles&) = delete;
};
bool KeepingReplacedFiles();  // a scope lives on this thread
void AtKeepEnd(void (*drop)());

// A replaced file kept open and locked: regular, one name, the user's own and open
// nowhere else when it was taken. It stays with the folder it lies in, whatever the
// current folder is later.
struct KeptFile {
  int fd = -1;
  dev_t folderDev = 0;
  ino_t folderIno = 0;
  std::string path;  // from the root
};

// Puts the finished temporary file temp in the place of target (both mapped) by
// exchanging the two names. The replaced file is kept in *kept when it is plainly the
// user's alone; otherwise it is let go exactly as a rename over it would let it go.
// False when no exchange could be made (no such target, one that is not a single-named
// regular file of the user's, a file system without it): the caller renames as usual.
bool ExchangeKeeping(const std::string& temp, const std::string& target, KeptFile* kept);
// Readies a kept file to be written over as the temporary file of the mapped target:
// it must lie in the target's folder; it is rewound to its start and given the
// target's permissions (targetInfo, null when there is no target). False when it
// cannot serve.
bool ReadyKeptFor(const KeptFile& kept, const std::string& target, const struct stat* targetInfo);
// Ends a file written over in place where the writes ended (its current offset).
bool CutAtOffset(int fd);
// Removes the kept file and closes it.
void DropKept(KeptFile* kept);

}  // namespace platform
