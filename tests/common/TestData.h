// Where the public conformance files live. The build records the first folder it finds
// (beside the checkout, or the team's shared folder); VELMORA_TESTDATA_DIR in the
// environment overrides it. Tests that need the files skip with a message when there are
// none, so a checkout without them still runs every other test.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace testing_data {

inline const std::string& Dir() {
  static const std::string dir = [] {
    const char* fromEnv = std::getenv("VELMORA_TESTDATA_DIR");
    std::string d = fromEnv != nullptr && *fromEnv != '\0' ? fromEnv : VELMORA_TESTDATA_DIR;
    struct stat st;
    return !d.empty() && stat(d.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? d : std::string();
  }();
  return dir;
}

inline std::string Path(const std::string& relative) {
  return Dir() + "/" + relative;
}

}  // namespace testing_data

#define VELMORA_REQUIRE_TESTDATA()                                                    \
  do {                                                                                \
    if (testing_data::Dir().empty()) {                                                \
      GTEST_SKIP() << "public conformance files not found; set VELMORA_TESTDATA_DIR"; \
    }                                                                                 \
  } while (false)
