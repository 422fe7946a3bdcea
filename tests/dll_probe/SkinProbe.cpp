// A shared object that stands in for the skin library in the DLL-command tests: loaded with
// dlopen, so it records no argument bytes, and its result shows which arguments arrived.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int SkinH_AttachRes(const uint8_t* data,
                                                                      int length,
                                                                      const char* password, int hue,
                                                                      int saturation,
                                                                      int brightness) {
  if (data == nullptr || length <= 0 || password == nullptr || password[0] != 0) return -1;
  return length * 1000 + data[length - 1] * 10 + hue + saturation + brightness;
}
