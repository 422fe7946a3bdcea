// Random pages through the viewer's document path: the bytes are decoded as a page would be
// (encoding from a declaration or sniffed), parsed with our master style sheet, laid out at a
// width taken from the input and drawn into a small bitmap. The input is split at its first
// NUL byte: markup before it, a style sheet after it (placed in the page's head), so that the
// fuzzer can grow CSS and HTML apart.
//
// Seeds: any HTML pages, e.g. a page saved from the viewer's tests.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "forms/units/html/PageCanvas.h"
#include "forms/units/html/PageDocument.h"
#include "forms/units/html/PageText.h"
#include "platform/wingdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 256 * 1024) return 0;
  // The first two bytes pick the layout width (the whole range, including 1 pixel).
  const int width = 1 + ((data[0] << 8 | data[1]) % 1600);
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  size_t nul = rest.find('\0');
  std::string_view markup = rest.substr(0, nul);
  std::string css =
      nul == std::string_view::npos ? std::string() : std::string(rest.substr(nul + 1));
  std::string page = forms::html::PageToUtf8(markup, "text/html");
  if (!css.empty()) page = "<style>" + css + "</style>" + page;

  forms::html::PageCanvas canvas;
  canvas.SetPageAddress("http://example.test/page.html");
  canvas.SetViewport(width, 200);
  litehtml::document::ptr document = forms::html::ParsePage(page, &canvas);
  if (document == nullptr) return 0;
  document->render(width);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 160, 120);
  HGDIOBJ old = SelectObject(dc, bitmap);
  litehtml::position clip(0, 0, 160, 120);
  document->draw(reinterpret_cast<litehtml::uint_ptr>(dc), 0, 0, &clip);
  // Pages are drawn scrolled too; the bottom of a tall page is as likely to break.
  document->draw(reinterpret_cast<litehtml::uint_ptr>(dc), 0, -document->height() / 2, &clip);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  for (const std::string& picture : canvas.TakeWantedPictures())
    canvas.SetPicture(picture, std::string(markup.substr(0, 64)));
  return 0;
}
