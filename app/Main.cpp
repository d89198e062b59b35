// Program entry of the workbench.
#include <cstdio>

#include "app/Version.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::printf("%s %s - high-resolution molecular spectroscopy workbench\n", QV95_PROGRAM_NAME, QV95_VERSION);
  return 0;
}
