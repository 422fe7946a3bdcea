// The presenter a program starts with: the real screen, or the headless one when asked.
// A program that cannot show its windows says so and stops, rather than running unseen.
#include "platform/presenters/ProgramPresenter.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/presenters/SdlPresenter.h"
#include "platform/user/Presenter.h"

namespace platform::user {

bool StartPresenterForProgram() {
  const char* headless = std::getenv("VELMORA_HEADLESS");
  if (headless != nullptr && std::string_view(headless) == "1") {
    if (ActivePresenter().ShowsNativeWindows()) {
      ShutdownSdlPresenter();
      InstallPresenter(nullptr);
    }
    return true;
  }
  if (ActivePresenter().ShowsNativeWindows()) return true;
  std::string error;
  std::unique_ptr<Presenter> presenter = CreateSdlPresenter(&error);
  if (presenter == nullptr) {
    std::fprintf(stderr,
                 "Velmora needs a graphical display to show its windows, and none could be opened"
                 " (%s).\n"
                 "Run it in a desktop session, under xvfb-run, or set VELMORA_HEADLESS=1 to run it"
                 " without showing any window.\n",
                 error.c_str());
    std::fflush(stderr);
    return false;
  }
  InstallPresenter(std::move(presenter));
  return true;
}

}  // namespace platform::user
