#include "models/exciton/FgFiles.h"

#include "core/PrmFile.h"
#include "platform/kernel/Text.h"
#include "records/FgPrm.h"

int32_t FgReadInputPrm() {
  prmfile::Fields f;
  char base[sizeof FgPrm.Base_Flnm] = "";
  if (!prmfile::Read(FgPrm.In_Flnm, "FG", &f) || !f.Text("BASE NAME", base)) return 0;
  StrCopy(FgPrm.Base_Flnm, base);
  return 1;
}

int32_t FgWriteInputPrm(const char* file) {
  platform::TextFileWriter w;
  if (!prmfile::Begin(&w, file, "FG", "1.0")) return 0;
  prmfile::Key(&w, "BASE NAME", FgPrm.Base_Flnm);
  return w.Commit() ? 1 : 0;
}
