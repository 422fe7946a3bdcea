// Picture display, each against a reference measured in the same run:
//  - the first paint of a 1096x515 picture box showing a 12-megapixel JPEG stretched with
//    HALFTONE (decode, device bitmap, stretch, copy to the window) vs decoding the same
//    bytes to a device bitmap and one HALFTONE StretchBlt onto the box done directly
//    (target: at most 1.1x);
//  - a repaint of that box with nothing changed vs one BitBlt of the box's size onto it
//    (target: at most 1.5x);
//  - WindowSnapshot of a 1127x707 window vs PrintWindow + GetDIBits into a 24-bit DIB done
//    directly (target: at most 1.2x);
//  - the longest wait of a paint on the UI thread for the GIF player's busy flag while a
//    1000x700, 12-frame animation plays in the box on the real clock (target: 20 ms).
// After the runs a summary prints the ratios (best CPU time of each).
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "pictures/DecodedPicture.h"
#include "pictures/display/PictureBox.h"
#include "pictures/display/WindowSnapshot.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace {

constexpr int kBoxWidth = 1096, kBoxHeight = 515;
constexpr int kWindowWidth = 1127, kWindowHeight = 707;

// A 4000 x 3000 photo-like JPEG (smooth gradients with some texture), quality 90, 4:2:0.
const std::vector<uint8_t>& Photo() {
  static const std::vector<uint8_t> bytes = [] {
    constexpr int w = 4000, h = 3000;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        p[0] = static_cast<uint8_t>(x * 255 / w);
        p[1] = static_cast<uint8_t>(y * 255 / h);
        p[2] = static_cast<uint8_t>(((x / 7) ^ (y / 5)) & 0xFF);
      }
    }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, rgb.data(), w, 0, h, TJPF_RGB, &out, &size, TJSAMP_420, 90, 0);
    std::vector<uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
  }();
  return bytes;
}

// A 1000 x 700 GIF of 12 full frames, 4 bits a pixel in blocks, 100 ms each, written with
// LZW codes of the literal width only (a clear code before each literal).
std::vector<uint8_t> Animation() {
  constexpr int w = 1000, h = 700;
  std::vector<uint8_t> f = {'G',    'I',      'F',    '8',  '9', 'a', w & 0xFF,
                            w >> 8, h & 0xFF, h >> 8, 0xF3, 0,   0};
  for (int i = 0; i < 16; ++i) {
    f.push_back(static_cast<uint8_t>(i * 16));
    f.push_back(static_cast<uint8_t>(255 - i * 16));
    f.push_back(static_cast<uint8_t>(i * 40));
  }
  for (int frame = 0; frame < 12; ++frame) {
    const uint8_t control[] = {0x21, 0xF9, 4, 0x04, 10, 0, 0, 0};
    f.insert(f.end(), std::begin(control), std::end(control));
    const uint8_t descriptor[] = {0x2C, 0, 0, 0, 0, w & 0xFF, w >> 8, h & 0xFF, h >> 8, 0};
    f.insert(f.end(), std::begin(descriptor), std::end(descriptor));
    f.push_back(4);  // minimum code size: 16 colours, codes of 5 bits
    std::vector<uint8_t> codes;
    uint32_t acc = 0;
    int bits = 0;
    auto put = [&](uint32_t code) {
      acc |= code << bits;
      bits += 5;
      while (bits >= 8) {
        codes.push_back(static_cast<uint8_t>(acc));
        acc >>= 8;
        bits -= 8;
      }
    };
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        put(16);
        put(static_cast<uint32_t>((x / 50 + y / 50 + frame) & 15));
      }
    }
    put(17);
    if (bits > 0) codes.push_back(static_cast<uint8_t>(acc));
    for (size_t at = 0; at < codes.size(); at += 255) {
      const size_t n = std::min<size_t>(255, codes.size() - at);
      f.push_back(static_cast<uint8_t>(n));
      f.insert(f.end(), codes.begin() + at, codes.begin() + at + n);
    }
    f.push_back(0);
  }
  f.push_back(0x3B);
  return f;
}

pic::PictureBox* g_box = nullptr;

LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT && g_box != nullptr) {
    pic::PictureBoxPaint(*g_box);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The window of the snapshot, with the picture box in it.
struct Scene {
  HWND top = nullptr;
  HWND box = nullptr;
  Scene() {
    WNDCLASSA c{};
    c.lpfnWndProc = BoxProc;
    c.lpszClassName = "BenchPictureBox";
    RegisterClassA(&c);
    WNDCLASSA t{};
    t.lpfnWndProc = DefWindowProcA;
    t.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    t.lpszClassName = "BenchPictureWindow";
    RegisterClassA(&t);
    top = CreateWindowExA(0, "BenchPictureWindow", "Picture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                          0, kWindowWidth, kWindowHeight, nullptr, nullptr, nullptr, nullptr);
    box = CreateWindowExA(0, "BenchPictureBox", "", WS_CHILD | WS_VISIBLE, 10, 10, kBoxWidth,
                          kBoxHeight, top, nullptr, nullptr, nullptr);
    platform::testing::RunUntilIdle();
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void Paint(HWND box) {
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void BM_BoxFirstPaint(benchmark::State& state) {
  Scene& s = TheScene();
  pic::PictureBox box(s.box);
  box.SetDisplayMode(pic::kModeStretch);
  g_box = &box;
  for (auto _ : state) {
    pic::SetPictureBoxData(box, Photo().data(), Photo().size());
    Paint(s.box);
  }
  g_box = nullptr;
}

void BM_DecodeAndStretch(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    HBITMAP bitmap = pic::PictureToBitmap(Photo().data(), Photo().size());
    HDC dc = GetDC(s.box);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, kBoxWidth, kBoxHeight, memory, 0, 0, 4000, 3000, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(s.box, dc);
    DeleteObject(bitmap);
  }
}

void BM_BoxRepaint(benchmark::State& state) {
  Scene& s = TheScene();
  pic::PictureBox box(s.box);
  box.SetDisplayMode(pic::kModeStretch);
  g_box = &box;
  pic::SetPictureBoxData(box, Photo().data(), Photo().size());
  Paint(s.box);
  for (auto _ : state) Paint(s.box);
  if (box.Stretches() != 1) state.SkipWithError("the repaint stretched again");
  g_box = nullptr;
}

void BM_BitBltBox(benchmark::State& state) {
  Scene& s = TheScene();
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, kBoxWidth, kBoxHeight);
  HGDIOBJ old = SelectObject(memory, bitmap);
  for (auto _ : state) {
    HDC dc = GetDC(s.box);
    BitBlt(dc, 0, 0, kBoxWidth, kBoxHeight, memory, 0, 0, SRCCOPY);
    ReleaseDC(s.box, dc);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

void BM_WindowSnapshot(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    std::vector<uint8_t> file = pic::WindowSnapshot(s.top, 0, 0);
    benchmark::DoNotOptimize(file.data());
  }
}

void BM_PrintWindowGetDIBits(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWindowWidth, kWindowHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PrintWindow(s.top, memory, 0);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWindowWidth;
    info.bmiHeader.biHeight = kWindowHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    std::vector<uint8_t> file(54 +
                              static_cast<size_t>((kWindowWidth * 3 + 3) / 4 * 4) * kWindowHeight);
    GetDIBits(screen, bitmap, 0, kWindowHeight, file.data() + 54, &info, DIB_RGB_COLORS);
    benchmark::DoNotOptimize(file.data());
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }
}

int64_t g_longestWaitUs = 0;

void BM_PaintDuringPlayback(benchmark::State& state) {
  Scene& s = TheScene();
  static const std::vector<uint8_t> gif = Animation();
  pic::PictureBox box(s.box);
  box.SetDisplayMode(pic::kModeStretch);
  box.SetAnimateGif(true);
  g_box = &box;
  pic::SetPictureBoxData(box, gif.data(), gif.size());
  Paint(s.box);  // starts the player
  for (auto _ : state) Paint(s.box);
  if (box.Player() != nullptr) {
    g_longestWaitUs = std::max(g_longestWaitUs, box.Player()->LongestPaintWaitUs());
    state.counters["longest_wait_ms"] = box.Player()->LongestPaintWaitUs() / 1000.0;
  }
  pic::SetPictureBoxData(box, nullptr, 0);
  g_box = nullptr;
}

BENCHMARK(BM_BoxFirstPaint)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_DecodeAndStretch)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BoxRepaint)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_BitBltBox)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_WindowSnapshot)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_PrintWindowGetDIBits)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_PaintDuringPlayback)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* ours, const char* reference) {
    const double a = reporter.Seconds(ours), b = reporter.Seconds(reference);
    return b > 0 ? a / b : 0.0;
  };
  std::printf("first paint / decode + stretch: %.3f (target <= 1.1)\n",
              ratio("BM_BoxFirstPaint", "BM_DecodeAndStretch"));
  std::printf("repaint / BitBlt of the box:    %.3f (target <= 1.5)\n",
              ratio("BM_BoxRepaint", "BM_BitBltBox"));
  std::printf("snapshot / PrintWindow+GetDIBits: %.3f (target <= 1.2)\n",
              ratio("BM_WindowSnapshot", "BM_PrintWindowGetDIBits"));
  std::printf("longest paint wait during playback: %.2f ms (target <= 20)\n",
              g_longestWaitUs / 1000.0);
  benchmark::Shutdown();
  return 0;
}
