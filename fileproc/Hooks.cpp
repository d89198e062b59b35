#include "fileproc/Hooks.h"

FileprocHookTable FileprocHooks;

int32_t FileprocSimColumnWrite(const char* file, int16_t set, int32_t addBaseline, int16_t chn) {
  return FileprocHooks.simColumnWrite ? FileprocHooks.simColumnWrite(file, set, addBaseline, chn) : 0;
}
