// The file operation engine streaming a scale over a 32 MB float file, beside a
// plain read-modify-write loop over the same file with the same block size.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileproc/FileOps.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"

namespace {

constexpr int kPoints = 8 * 1024 * 1024;

// A folder with the input file, made once for the whole run.
const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/qv95bench-XXXXXX";
    std::string made = mkdtemp(pattern) ? pattern : "/tmp";
    std::vector<float> values(kPoints);
    for (int i = 0; i < kPoints; ++i) values[static_cast<size_t>(i)] = static_cast<float>(i % 1000) * 0.25f;
    std::FILE* f = std::fopen((made + "/in.bin").c_str(), "wb");
    if (f) {
      std::fwrite(values.data(), sizeof(float), values.size(), f);
      std::fclose(f);
    }
    return made;
  }();
  return folder;
}

void BM_OSIFileScale(benchmark::State& state) {
  const std::string in = Folder() + "/in.bin";
  const std::string out = Folder() + "/osi.bin";
  Cnv.Scalar[0] = 1.5f;
  for (auto _ : state) {
    char inName[200];
    char outName[200];
    StrCopy(inName, in.c_str());
    StrCopy(outName, out.c_str());
    if (OSIFile(0, 0, OSI_SCALE, inName, outName, 1, 0, 0) != 1) state.SkipWithError("OSIFile failed");
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}
BENCHMARK(BM_OSIFileScale)->Unit(benchmark::kMillisecond);

// Reference: read a block, multiply it, write it, until the end of the file.
void BM_PlainReadModifyWrite(benchmark::State& state) {
  const std::string in = Folder() + "/in.bin";
  const std::string out = Folder() + "/plain.bin";
  std::vector<float> block(OSI_BLOCK);
  for (auto _ : state) {
    int fi = ::open(in.c_str(), O_RDONLY);
    int fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (;;) {
      ssize_t got = ::read(fi, block.data(), block.size() * sizeof(float));
      if (got <= 0) break;
      const size_t n = static_cast<size_t>(got) / sizeof(float);
      for (size_t i = 0; i < n; ++i) block[i] *= 1.5f;
      if (::write(fo, block.data(), n * sizeof(float)) != static_cast<ssize_t>(n * sizeof(float))) break;
    }
    ::close(fi);
    ::close(fo);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPoints} * 4);
}
BENCHMARK(BM_PlainReadModifyWrite)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The run's files go with it.
  for (const char* name : {"/in.bin", "/osi.bin", "/plain.bin"}) std::remove((Folder() + name).c_str());
  if (Folder() != "/tmp") ::rmdir(Folder().c_str());
  return 0;
}
