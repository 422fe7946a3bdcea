// The animation box as the program uses it: objects placed from a template and queried
// through the library call frame, the mouse events of a press, a drag and a release driven
// by injected input, the destroy event with handlers that pull the ground away, repainting
// only what a move changed, and the painted window matching the box's own snapshot.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "forms/properties/UnitProperties.h"
#include "forms/units/CommonProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/cartoon/CartoonBoxUnit.h"
#include "forms/units/cartoon/CartoonCommands.h"
#include "forms/units/cartoon/CartoonObjectUnit.h"
#include "forms/units/cartoon/CartoonTypes.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/BmpFile.h"
#include "tests/common/TestData.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;
namespace input = platform::testing;

constexpr auto kBoxProperties = forms::WithCommonProperties({
    {nullptr, "border", nullptr, 1006, 0},
    {nullptr, "BackColor", nullptr, 1017, 0},
    {nullptr, "pic", nullptr, 1009, 0},
    {nullptr, "PicDrawMode", nullptr, 1006, 0},
    {nullptr, "PenStyle", nullptr, 1006, 0},
    {nullptr, "DrawRop2", nullptr, 1006, 0},
    {nullptr, "PenWidth", nullptr, 1001, 0},
    {nullptr, "PenColor", nullptr, 1014, 0},
    {nullptr, "BrushStyle", nullptr, 1006, 0},
    {nullptr, "BrushColor", nullptr, 1014, 0},
    {nullptr, "TextColor", nullptr, 1014, 0},
    {nullptr, "font", nullptr, 1013, 0},
    {nullptr, "TextBackMode", nullptr, 1006, 0},
});
constexpr rt::DataTypeDescriptor kBoxType = {"box",
                                             "CartoonBox",
                                             nullptr,
                                             rt::kTypeStateWindowed,
                                             static_cast<uint32_t>(kBoxProperties.size()),
                                             kBoxProperties.data(),
                                             9,
                                             0,
                                             &forms::CartoonBoxInterface};
constexpr rt::DataTypeDescriptor kTemplateType = {"object",
                                                  "CartoonObject",
                                                  nullptr,
                                                  rt::kTypeStateNonVisual,
                                                  8,
                                                  forms::kCommonUnitProperties,
                                                  0,
                                                  0,
                                                  &forms::CartoonObjectInterface};

constexpr UnitId kBox = UnitIdOf(2);
constexpr UnitId kTemplate = UnitIdOf(3);

using testing_bmp::SolidBmp24;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class CartoonBoxTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    forms::RegisterUnitType(forms::kTypeCartoonBox, &kBoxType);
    forms::RegisterUnitType(forms::kTypeCartoonObject, &kTemplateType);
  }

  // A 300 × 200 window with a 240 × 150 box at (10, 10) whose events 0-8 go to handlers
  // 0-8, and a template holding `picture`.
  void LoadBox(const std::vector<uint8_t>& picture, int boxWidth = 240, int boxHeight = 150) {
    TestForm form(1);
    forms::UnitRecordFields& box =
        form.AddUnit(2, forms::kTypeCartoonBox, 10, 10, boxWidth, boxHeight);
    forms::TypeBlock boxBlock(*forms::FindTypeBlockLayout(forms::kTypeCartoonBox));
    boxBlock.SetWord(forms::kBoxBackColor, 0xFFFFFF);
    box.typeBlock = boxBlock.Write();
    for (int32_t e = 0; e <= 8; ++e) box.bindings.push_back({e, Offset(static_cast<uint32_t>(e))});
    forms::UnitRecordFields& object = form.AddUnit(3, forms::kTypeCartoonObject, 0, 0, 20, 20);
    forms::TypeBlock objectBlock(*forms::FindTypeBlockLayout(forms::kTypeCartoonObject));
    objectBlock.SetData(forms::kObjectPicture, picture);
    object.typeBlock = objectBlock.Write();
    ReadForms({form});
    ASSERT_TRUE(Load(WindowIdOf(1)));
    Pump();
    Journal().clear();
  }

  static void Pump() { rt::HandleWaitingMessages(); }
  static HWND BoxHandle() { return UnitHandle(WindowIdOf(1), kBox); }
  static rt::ArgRecord Box() { return rt::Arg::Unit(WindowIdOf(1), kBox, forms::kTypeCartoonBox); }
  static rt::ArgRecord Template() {
    return rt::Arg::Unit(WindowIdOf(1), kTemplate, forms::kTypeCartoonObject);
  }
  static int32_t Place(int x, int y) {
    return rt::Call(forms::PlaceObject, {Box(), Template(), rt::Arg::Int(x), rt::Arg::Int(y)})
        .As<int32_t>();
  }
  static int32_t Query(rt::CommandRoutine routine, int32_t id) {
    return rt::Call(routine, {Box(), rt::Arg::Int(id)}).As<int32_t>();
  }
  static std::vector<uint8_t> Snapshot(int x, int y, int w, int h) {
    rt::ArgRecord r = rt::Call(forms::SnapshotBox, {Box(), rt::Arg::Int(x), rt::Arg::Int(y),
                                                    rt::Arg::Int(w), rt::Arg::Int(h)});
    EXPECT_EQ(r.type, rt::kTypeByteSet);
    rt::ByteSetView bytes = rt::ViewByteSet(r.Pointer());
    std::vector<uint8_t> out(bytes.data, bytes.data + bytes.size);
    if (r.Pointer() != nullptr) rt::FreeMem(r.Pointer());
    return out;
  }
  static POINT OnScreen(int x, int y) {
    POINT p{x, y};
    ClientToScreen(BoxHandle(), &p);
    return p;
  }
};

TEST_F(CartoonBoxTest, ObjectsArePlacedZoomedAndQueriedThroughTheCallFrame) {
  LoadBox(SolidBmp24(20, 16, 0xFF0000));
  const int32_t first = Place(30, 40);
  const int32_t empty =
      rt::Call(forms::PlaceObject, {Box(), rt::Arg::Omitted(), rt::Arg::Int(5), rt::Arg::Int(6)})
          .As<int32_t>();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(empty, 2);
  struct Asked {
    rt::CommandRoutine routine;
    int32_t id, expected;
  } queries[] = {
      {forms::GetObjectX, first, 30},     {forms::GetObjectY, first, 40},
      {forms::GetObjectWidth, first, 20}, {forms::GetObjectHeight, first, 16},
      {forms::GetObjectX, empty, 5},      {forms::GetObjectWidth, empty, 0},
      {forms::GetObjectX, 99, 0},         {forms::GetObjectHeight, 0, 0},
      {forms::GetObjectY, -1, 0},
  };
  for (const Asked& q : queries) EXPECT_EQ(Query(q.routine, q.id), q.expected) << q.id;

  auto zoom = [&](std::initializer_list<rt::ArgRecord> values) {
    std::vector<rt::ArgRecord> args{Box(), rt::Arg::Int(first)};
    args.insert(args.end(), values);
    return rt::CallCommand(forms::SetObjectZoom, static_cast<int32_t>(args.size()), args.data())
        .As<int32_t>();
  };
  EXPECT_EQ(zoom({rt::Arg::Int(500)}), 1);
  EXPECT_EQ(Query(forms::GetObjectWidth, first), 10);
  EXPECT_EQ(Query(forms::GetObjectHeight, first), 8);
  EXPECT_EQ(zoom({rt::Arg::Int(0)}), 0);
  EXPECT_EQ(zoom({rt::Arg::Int(500), rt::Arg::Omitted()}), 0);
  EXPECT_EQ(Query(forms::GetObjectWidth, first), 10);
  EXPECT_EQ(zoom({rt::Arg::Int(1000), rt::Arg::Int(1500)}), 1);
  EXPECT_EQ(Query(forms::GetObjectHeight, first), 24);
}

TEST_F(CartoonBoxTest, PressDragAcrossTwoObjectsAndReleaseRaiseTheEventsInOrder) {
  LoadBox(SolidBmp24(20, 20, 0x0000FF));
  const int32_t a = Place(10, 10), b = Place(50, 10);
  Pump();
  Journal().clear();
  const struct Step {
    enum { Move, Down, Up } what;
    int x, y;
  } steps[] = {{Step::Move, 20, 20},  {Step::Down, 20, 20}, {Step::Move, 40, 20},
               {Step::Move, 60, 20},  {Step::Up, 60, 20},   {Step::Move, 61, 21},
               {Step::Move, 100, 100}};
  for (const Step& s : steps) {
    const POINT at = OnScreen(s.x, s.y);
    if (s.what == Step::Move) input::MouseMove(at);
    if (s.what == Step::Down) input::MouseDown(at);
    if (s.what == Step::Up) input::MouseUp(at);
    Pump();
  }
  const std::string A = std::to_string(a), B = std::to_string(b);
  EXPECT_THAT(Lines({"handler"}),
              ElementsAre("handler 5 (" + A + ",0) src u2",          // enters a
                          "handler 7 (20,20,0) src u2",              //
                          "handler 0 (" + A + ") src u2",            // pressed on a
                          "handler 6 (" + A + "," + A + ") src u2",  // leaves a, a held
                          "handler 7 (40,20," + A + ") src u2",      //
                          "handler 5 (" + B + "," + A + ") src u2",  // enters b, a held
                          "handler 7 (60,20," + A + ") src u2",      //
                          "handler 2 (" + B + "," + A + ") src u2",  // released over b
                          "handler 7 (61,21,0) src u2",              // still over b
                          "handler 6 (" + B + ",0) src u2",          // leaves b
                          "handler 7 (100,100,0) src u2"));
  auto* box = dynamic_cast<forms::CartoonBoxUnit*>(forms::UnitObject::FromHandle(BoxHandle()));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->PressedObject(), 0);
  EXPECT_EQ(box->HoveredObject(), 0);

  // A press on nothing is remembered as −1 and passed as 0; the release after the pressed
  // object is destroyed passes 0 too. (Away from the first press: no double click.)
  Journal().clear();
  input::MouseDown(OnScreen(28, 28));
  Pump();
  rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(a)});
  input::MouseUp(OnScreen(200, 100));
  input::MouseDown(OnScreen(200, 100));
  Pump();
  EXPECT_EQ(box->PressedObject(), -1);
  input::MouseUp(OnScreen(200, 100));
  Pump();
  EXPECT_THAT(
      Lines({"handler 0", "handler 2", "handler 8"}),
      ElementsAre("handler 0 (" + A + ") src u2", "handler 8 (" + A + ") src u2",
                  "handler 2 (0,0) src u2", "handler 0 (0) src u2", "handler 2 (0,0) src u2"));
}

TEST_F(CartoonBoxTest, RightButtonAndDoubleClickNameTheObjectUnderThePointer) {
  LoadBox(SolidBmp24(20, 20, 0x0000FF));
  const std::string a = std::to_string(Place(10, 10));
  Pump();
  input::ClickAt(OnScreen(15, 15), input::MouseButton::Right);
  input::ClickAt(OnScreen(150, 100), input::MouseButton::Right);
  Pump();
  input::DoubleClick(OnScreen(12, 12));
  Pump();
  EXPECT_THAT(
      Lines({"handler 1", "handler 3", "handler 4"}),
      ElementsAre("handler 1 (" + a + ") src u2", "handler 3 (" + a + ") src u2",
                  "handler 1 (0) src u2", "handler 3 (0) src u2", "handler 4 (" + a + ") src u2"));
}

TEST_F(CartoonBoxTest, BackgroundFollowsItsPropertiesAndTheBoxSize) {
  LoadBox({});
  const uint32_t W = WindowIdOf(1);
  auto pixel = [](const std::vector<uint8_t>& bmp, int x, int y) {
    int32_t w, h;
    std::memcpy(&w, bmp.data() + 18, 4);
    std::memcpy(&h, bmp.data() + 22, 4);
    uint32_t p;
    std::memcpy(&p, bmp.data() + 54 + (size_t(h - 1 - y) * w + x) * 4, 4);
    return p;
  };
  forms::SetUnitProperty(W, kBox, forms::kBoxBackColor, -1, 0x0000FF, 0);
  EXPECT_EQ(forms::GetUnitProperty(W, kBox, forms::kBoxBackColor, -1), 0x0000FF);
  EXPECT_EQ(pixel(Snapshot(0, 0, 10, 10), 3, 3), 0x00FF0000u);

  const std::vector<uint8_t> green = SolidBmp24(2, 2, 0x00FF00);
  void* block = rt::BuildByteSet(rt::AllocMemSized, green.data(), green.size());
  const auto address = reinterpret_cast<uintptr_t>(block);
  forms::SetUnitProperty(W, kBox, forms::kBoxPicture, -1, static_cast<uint32_t>(address),
                         static_cast<uint32_t>(address >> 32));
  rt::FreeMem(block);
  forms::SetUnitProperty(W, kBox, forms::kBoxDrawMode, -1, 3, 0);  // tiled
  EXPECT_EQ(pixel(Snapshot(0, 0, 10, 10), 5, 5), 0x0000FF00u);

  // The canvas, and so the snapshot, follow the box's size.
  forms::SetUnitProperty(W, kBox, forms::kPropWidth, -1, 30, 0);
  const std::vector<uint8_t> narrow = Snapshot(0, 0, 500, 500);
  int32_t width;
  std::memcpy(&width, narrow.data() + 18, 4);
  EXPECT_EQ(width, 30);
}

TEST_F(CartoonBoxTest, DestroyEventHandlersMayRemoveTheObjectOrTheBox) {
  LoadBox(SolidBmp24(4, 4, 0x00FF00));
  const int32_t a = Place(0, 0), b = Place(10, 0), c = Place(20, 0);
  auto destroy = [&](std::vector<int32_t> ids) {
    std::vector<rt::ArgRecord> args{Box()};
    for (int32_t id : ids) args.push_back(rt::Arg::Int(id));
    return rt::CallCommand(forms::DestroyObjects, static_cast<int32_t>(args.size()), args.data())
        .As<int32_t>();
  };
  // Unknown ids raise nothing.
  EXPECT_EQ(destroy({a, 99, 0}), 1);
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 8 (" + std::to_string(a) + ") src u2"));

  // The handler destroys the object itself: the outer call leaves it alone.
  bool nested = false;
  ScriptAction(8, [&] {
    if (!std::exchange(nested, true)) {
      EXPECT_EQ(destroy({b}), 1);
    }
  });
  EXPECT_EQ(destroy({b}), 0);
  EXPECT_EQ(Query(forms::GetObjectWidth, b), 0);
  EXPECT_EQ(Query(forms::GetObjectWidth, c), 4);

  // The handler destroys the box: the call ends at once without touching it.
  Journal().clear();
  ScriptAction(8, [] { DestroyWindow(BoxHandle()); });
  const int32_t d = Place(30, 0);
  rt::ArgRecord r = rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(c), rt::Arg::Int(d)});
  EXPECT_EQ(r.As<int32_t>(), 0);
  EXPECT_EQ(Lines({"handler"}).size(), 1u);
  EXPECT_EQ(BoxHandle(), nullptr);
}

TEST_F(CartoonBoxTest, MovingAnObjectRepaintsOnlyItsOldAndNewPlace) {
  LoadBox(SolidBmp24(10, 10, 0x336699));
  int32_t id = Place(20, 20);
  input::RunUntilIdle();
  RECT dirty{};
  ASSERT_FALSE(GetUpdateRect(BoxHandle(), &dirty, FALSE));
  rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(id)});
  id = Place(25, 35);
  ASSERT_TRUE(GetUpdateRect(BoxHandle(), &dirty, FALSE));
  EXPECT_EQ((std::vector<LONG>{dirty.left, dirty.top, dirty.right, dirty.bottom}),
            (std::vector<LONG>{20, 20, 35, 45}));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(BoxHandle(), region, FALSE);
  EXPECT_FALSE(PtInRegion(region, 33, 22)) << "between the two rectangles";
  EXPECT_TRUE(PtInRegion(region, 21, 21));
  EXPECT_TRUE(PtInRegion(region, 34, 44));
  DeleteObject(region);
}

// A photo with a half-transparent watermark, both zoomed to 500: the painted box must
// show exactly what the box's own snapshot composes. VELMORA_CARTOON_SHOT names a PNG file
// to write the window to.
TEST_F(CartoonBoxTest, PaintedBoxMatchesItsSnapshot) {
  if (testing_data::Dir().empty()) GTEST_SKIP() << "no conformance files";
  const std::vector<uint8_t> photo = ReadFile(testing_data::Path("jpeg/testorig.jpg"));
  const std::vector<uint8_t> mark = ReadFile(testing_data::Path("png/PngSuite.png"));
  ASSERT_FALSE(photo.empty());
  ASSERT_FALSE(mark.empty());
  LoadBox(photo, 240, 150);
  auto* templ = dynamic_cast<forms::CartoonObjectUnit*>(
      forms::UnitObject::FromHandle(UnitHandle(WindowIdOf(1), kTemplate)));
  ASSERT_NE(templ, nullptr);
  forms::PropertyValue value;
  value.word = 500;
  templ->SetProperty(forms::kObjectZoom, value);
  const int32_t photoId = Place(0, 0);
  value.data = mark.data();
  value.size = static_cast<uint32_t>(mark.size());
  templ->SetProperty(forms::kObjectPicture, value);
  const int32_t markId = Place(40, 10);
  rt::Call(forms::SetObjectAlpha, {Box(), rt::Arg::Int(markId), rt::Arg::Int(50)});
  rt::Call(forms::SetObjectLayer, {Box(), rt::Arg::Int(markId), rt::Arg::Int(2)});
  EXPECT_EQ(Query(forms::GetObjectWidth, photoId), 114);
  EXPECT_EQ(Query(forms::GetObjectWidth, markId), 128);

  input::Image shot = input::CaptureWindow(WindowHandle(WindowIdOf(1)));
  ASSERT_FALSE(shot.empty());
  if (const char* path = std::getenv("VELMORA_CARTOON_SHOT")) input::WritePng(shot, path);
  POINT origin{0, 0};
  ClientToScreen(BoxHandle(), &origin);
  RECT frame{};
  GetWindowRect(WindowHandle(WindowIdOf(1)), &frame);
  const std::vector<uint8_t> bmp = Snapshot(0, 0, 240, 150);
  ASSERT_EQ(bmp.size(), 54u + 240 * 150 * 4);
  int differing = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 240; ++x) {
      uint32_t expected;
      std::memcpy(&expected, bmp.data() + 54 + (size_t(149 - y) * 240 + x) * 4, 4);
      const uint32_t painted = shot.At(origin.x - frame.left + x, origin.y - frame.top + y);
      if ((painted & 0xFFFFFF) != expected) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
  // The watermark shows half through over the photo, and the canvas is white beside both.
  EXPECT_EQ(shot.ColorAt(origin.x - frame.left + 200, origin.y - frame.top + 145), 0xFFFFFFu);
}

}  // namespace
}  // namespace formtest
