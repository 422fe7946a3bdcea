// OLE belongs to the program from InitRuntime to EndProgram: objects can be made in
// between, not after, and a second start does not initialise it twice.
#include <gtest/gtest.h>

#include "platform/ole/ClassRegistry.h"
#include "platform/ole/OleAuto.h"
#include "platform/ole/WinHttpRequest.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

HRESULT MakeRequest() {
  void* object = nullptr;
  HRESULT hr =
      CoCreateInstance(platform::ole::kWinHttpRequestClsid, nullptr, 7, IID_IUnknown, &object);
  if (object != nullptr) static_cast<IUnknown*>(object)->Release();
  return hr;
}

TEST(OleSessionTest, TheProgramHoldsOleFromStartToEnd) {
  InitRuntime(nullptr);
  InitRuntime(nullptr);
  EXPECT_TRUE(Runtime().oleInitialised);
  EXPECT_EQ(MakeRequest(), S_OK);

  EndProgram(0);
  EXPECT_FALSE(Runtime().oleInitialised);
  EXPECT_FALSE(platform::ole::OleSessionActive());
  EXPECT_EQ(MakeRequest(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(platform::ole::LiveObjectCount(), 0);

  InitRuntime(nullptr);
  EXPECT_EQ(MakeRequest(), S_OK);
}

}  // namespace
}  // namespace rt
