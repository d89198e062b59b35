// Run-time data the program reads (the partition-sum tables): found beside the
// executable (<program folder>/data/<name>, or a data folder up to three levels above
// it, which is where a build tree keeps it for its test programs) or where the install
// puts it (<program folder>/../share/qv95/<name>).
#pragma once

#include <string>

namespace core_data {

// The folder of data set `name` ("tips"), without a trailing slash; empty when none of
// the places holds it.
std::string FindDataFolder(const char* name);

// Looks only in `root` (root/<name>) from now on; an empty root restores the search.
void SetDataRoot(const std::string& root);

}  // namespace core_data
