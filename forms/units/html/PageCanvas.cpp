#include "forms/units/html/PageCanvas.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "forms/units/html/PageAddress.h"
#include "pictures/DecodedPicture.h"
#include "pictures/decoders/PngFrames.h"
#include "platform/kernel/CodePage.h"
#include "platform/user32.h"

namespace forms::html {

namespace {

// No picture on a page may take more than this many pixels (64 MB of 32-bit pixels).
constexpr uint64_t kMaxPicturePixels = uint64_t{16} << 20;
// A background is tiled at most this many times; beyond that the page is hostile or broken.
constexpr int kMaxTiles = 4096;

std::u16string Wide(const char* utf8) {
  std::u16string out;
  if (utf8 != nullptr) platform::kernel::DecodeUtf8(utf8, false, out);
  return out;
}

COLORREF Colour(const litehtml::web_color& c) {
  return RGB(c.red, c.green, c.blue);
}

void Fill(HDC dc, int x, int y, int w, int h, COLORREF colour) {
  if (w <= 0 || h <= 0) return;
  RECT r{x, y, x + w, y + h};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The face to ask the GDI for: the first family of a CSS list, generic names mapped to the
// faces we ship, given to the GDI in GBK.
std::string FaceFor(const char* families) {
  std::string list = families != nullptr ? families : "";
  std::string first = list.substr(0, list.find(','));
  auto keep = [](char c) { return !std::isspace(static_cast<unsigned char>(c)) || c == ' '; };
  first.erase(std::remove_if(first.begin(), first.end(),
                             [&](char c) { return c == '"' || c == '\'' || !keep(c); }),
              first.end());
  while (!first.empty() && first.front() == ' ') first.erase(first.begin());
  while (!first.empty() && first.back() == ' ') first.pop_back();
  const std::string key = Lower(first);
  if (key.empty() || key == "sans-serif" || key == "arial" || key == "helvetica" ||
      key == "verdana" || key == "tahoma")
    return "DejaVu Sans";
  if (key == "serif" || key == "times" || key == "times new roman" || key == "georgia")
    return "DejaVu Serif";
  if (key == "monospace" || key == "courier" || key == "courier new" || key == "consolas")
    return "DejaVu Sans Mono";
  return platform::kernel::Utf8ToGbk(first, false).value_or("DejaVu Sans");
}

HBITMAP PngBitmap(const std::string& bytes, int* width, int* height) {
  std::vector<uint32_t> pixels;
  if (!pic::DecodePngFrame(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), width,
                           height, &pixels))
    return nullptr;
  if (static_cast<uint64_t>(*width) * static_cast<uint64_t>(*height) > kMaxPicturePixels)
    return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = *width;
  info.bmiHeader.biHeight = -*height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return bitmap;
  // Pages are white unless they say otherwise; translucent pixels are laid over white.
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) {
    uint32_t p = pixels[i];
    uint32_t alpha = 255 - (p >> 24);
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t c = (p >> shift) & 0xFF;
      result |= ((c * alpha + 255 * (255 - alpha) + 127) / 255) << shift;
    }
    out[i] = result;
  }
  return bitmap;
}

}  // namespace

struct PageCanvas::Font {
  HFONT font = nullptr;
  int ascent = 0;
  int descent = 0;
  int height = 0;
};

PageCanvas::PageCanvas() : measure_(CreateCompatibleDC(nullptr)) {}

PageCanvas::~PageCanvas() {
  for (auto& [address, picture] : pictures_) {
    if (picture.bitmap != nullptr) DeleteObject(picture.bitmap);
  }
  if (measure_ != nullptr) DeleteDC(measure_);
}

litehtml::uint_ptr PageCanvas::create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                           litehtml::font_style italic, unsigned int decoration,
                                           litehtml::font_metrics* fm) {
  LOGFONTA lf{};
  lf.lfHeight = -std::clamp(size, 1, 2000);
  lf.lfWeight = weight;
  lf.lfItalic = italic == litehtml::fontStyleItalic ? 1 : 0;
  lf.lfUnderline = (decoration & litehtml::font_decoration_underline) ? 1 : 0;
  lf.lfStrikeOut = (decoration & litehtml::font_decoration_linethrough) ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  const std::string face = FaceFor(faceName);
  std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  auto font = std::make_unique<Font>();
  font->font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(measure_, font->font);
  TEXTMETRICA tm{};
  GetTextMetricsA(measure_, &tm);
  SelectObject(measure_, old);
  measureFont_ = nullptr;
  font->ascent = tm.tmAscent;
  font->descent = tm.tmDescent;
  font->height = tm.tmHeight;
  if (fm != nullptr) {
    fm->ascent = tm.tmAscent;
    fm->descent = tm.tmDescent;
    fm->height = tm.tmHeight;
    fm->x_height = tm.tmAscent / 2;
    fm->draw_spaces = lf.lfItalic || decoration != 0;
  }
  return reinterpret_cast<litehtml::uint_ptr>(font.release());
}

void PageCanvas::delete_font(litehtml::uint_ptr handle) {
  auto* font = reinterpret_cast<Font*>(handle);
  if (font == nullptr) return;
  if (measureFont_ == font->font) {
    SelectObject(measure_, GetStockObject(DEFAULT_GUI_FONT));
    measureFont_ = nullptr;
  }
  DeleteObject(font->font);
  delete font;
}

int PageCanvas::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr handle) {
  auto* font = reinterpret_cast<Font*>(handle);
  if (font == nullptr) return 0;
  if (measureFont_ != font->font) {
    SelectObject(measure_, font->font);
    measureFont_ = font->font;
  }
  const std::u16string wide = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(measure_, wide.data(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

void PageCanvas::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text,
                           litehtml::uint_ptr handle, litehtml::web_color color,
                           const litehtml::position& pos) {
  auto* font = reinterpret_cast<Font*>(handle);
  HDC dc = reinterpret_cast<HDC>(hdc);
  if (font == nullptr || dc == nullptr) return;
  const int saved = BeginClip(dc);
  HGDIOBJ old = SelectObject(dc, font->font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Colour(color));
  SetTextAlign(dc, TA_TOP | TA_LEFT);
  const std::u16string wide = Wide(text);
  ExtTextOutW(dc, pos.x, pos.y, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()), nullptr);
  SelectObject(dc, old);
  if (saved != 0) RestoreDC(dc, saved);
}

const litehtml::tchar_t* PageCanvas::get_default_font_name() const {
  return "sans-serif";
}

void PageCanvas::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
  HDC dc = reinterpret_cast<HDC>(hdc);
  if (!marker.image.empty()) {
    if (const Picture* picture = FindPicture(marker.image, marker.baseurl)) {
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(source, picture->bitmap);
      BitBlt(dc, marker.pos.x, marker.pos.y, picture->width, picture->height, source, 0, 0,
             SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
      return;
    }
  }
  const COLORREF colour = Colour(marker.color);
  const litehtml::position& p = marker.pos;
  const int saved = BeginClip(dc);
  switch (marker.marker_type) {
    case litehtml::list_style_type_circle:
    case litehtml::list_style_type_disc: {
      HPEN pen = CreatePen(PS_SOLID, 1, colour);
      HBRUSH brush = marker.marker_type == litehtml::list_style_type_disc
                         ? CreateSolidBrush(colour)
                         : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(dc, brush);
      Ellipse(dc, p.x, p.y, p.x + p.width, p.y + p.height);
      SelectObject(dc, oldPen);
      SelectObject(dc, oldBrush);
      DeleteObject(pen);
      if (marker.marker_type == litehtml::list_style_type_disc) DeleteObject(brush);
      break;
    }
    case litehtml::list_style_type_square:
      Fill(dc, p.x, p.y, p.width, p.height, colour);
      break;
    default:
      break;  // numbered markers are drawn by the engine as text
  }
  if (saved != 0) RestoreDC(dc, saved);
}

std::string PageCanvas::Absolute(const std::string& src, const char* baseurl) const {
  std::string base = baseurl != nullptr && *baseurl != '\0' ? baseurl : baseAddress_;
  return ResolveAddress(base, src);
}

const PageCanvas::Picture* PageCanvas::FindPicture(const std::string& src,
                                                   const char* baseurl) const {
  auto it = pictures_.find(Absolute(src, baseurl));
  if (it == pictures_.end() || it->second.bitmap == nullptr) return nullptr;
  return &it->second;
}

void PageCanvas::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool) {
  if (src == nullptr || *src == '\0') return;
  std::string address = Absolute(src, baseurl);
  if (pictures_.count(address) != 0) return;
  pictures_.emplace(address, Picture{});
  if (MayReach(pageAddress_, address)) wanted_.push_back(address);
}

std::vector<std::string> PageCanvas::TakeWantedPictures() {
  return std::exchange(wanted_, {});
}

bool PageCanvas::SetPicture(const std::string& address, const std::string& bytes) {
  Picture picture;
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1A\n", 8) == 0) {
    picture.bitmap = PngBitmap(bytes, &picture.width, &picture.height);
  } else {
    picture.bitmap = pic::PictureToBitmapWithin(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                bytes.size(), kMaxPicturePixels);
    BITMAP info{};
    if (picture.bitmap != nullptr && GetObjectA(picture.bitmap, sizeof info, &info) != 0) {
      picture.width = info.bmWidth;
      picture.height = info.bmHeight;
    }
  }
  if (picture.bitmap == nullptr || picture.width <= 0 || picture.height <= 0) {
    if (picture.bitmap != nullptr) DeleteObject(picture.bitmap);
    return false;
  }
  Picture& slot = pictures_[address];
  if (slot.bitmap != nullptr) DeleteObject(slot.bitmap);
  slot = picture;
  return true;
}

void PageCanvas::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                                litehtml::size& sz) {
  sz.width = sz.height = 0;
  if (src == nullptr) return;
  if (const Picture* picture = FindPicture(src, baseurl)) {
    sz.width = picture->width;
    sz.height = picture->height;
  }
}

void PageCanvas::DrawPicture(HDC dc, const Picture& picture, const litehtml::background_paint& bg) {
  const int w = bg.image_size.width > 0 ? bg.image_size.width : picture.width;
  const int h = bg.image_size.height > 0 ? bg.image_size.height : picture.height;
  const litehtml::position& clip = bg.clip_box;
  // The engine gives the picture's position on the page, not within its box.
  int x0 = bg.position_x, y0 = bg.position_y;
  const bool tileX = bg.repeat == litehtml::background_repeat_repeat ||
                     bg.repeat == litehtml::background_repeat_repeat_x;
  const bool tileY = bg.repeat == litehtml::background_repeat_repeat ||
                     bg.repeat == litehtml::background_repeat_repeat_y;
  if (tileX)
    while (x0 > clip.x) x0 -= w;
  if (tileY)
    while (y0 > clip.y) y0 -= h;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, clip.x, clip.y, clip.x + clip.width, clip.y + clip.height);
  if (!clips_.empty()) {
    const litehtml::position& c = clips_.back();
    IntersectClipRect(dc, c.x, c.y, c.x + c.width, c.y + c.height);
  }
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, picture.bitmap);
  SetStretchBltMode(dc, HALFTONE);
  int tiles = 0;
  for (int y = y0; y < clip.y + clip.height || y == y0; y += h) {
    for (int x = x0; x < clip.x + clip.width || x == x0; x += w) {
      if (w == picture.width && h == picture.height) {
        BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
      } else {
        StretchBlt(dc, x, y, w, h, source, 0, 0, picture.width, picture.height, SRCCOPY);
      }
      if (!tileX || ++tiles > kMaxTiles) break;
    }
    if (!tileY || tiles > kMaxTiles) break;
  }
  SelectObject(source, old);
  DeleteDC(source);
  RestoreDC(dc, saved);
}

void PageCanvas::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
  HDC dc = reinterpret_cast<HDC>(hdc);
  if (bg.image.empty()) {
    if (bg.color.alpha == 0) return;
    const int saved = BeginClip(dc);
    Fill(dc, bg.clip_box.x, bg.clip_box.y, bg.clip_box.width, bg.clip_box.height, Colour(bg.color));
    if (saved != 0) RestoreDC(dc, saved);
    return;
  }
  if (const Picture* picture = FindPicture(bg.image, bg.baseurl.c_str())) {
    if (picture->width > 0 && picture->height > 0) DrawPicture(dc, *picture, bg);
  }
}

void PageCanvas::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                              const litehtml::position& p, bool) {
  HDC dc = reinterpret_cast<HDC>(hdc);
  auto visible = [](const litehtml::border& b) {
    return b.width > 0 && b.style != litehtml::border_style_none &&
           b.style != litehtml::border_style_hidden && b.color.alpha > 0;
  };
  const int saved = BeginClip(dc);
  if (visible(borders.top))
    Fill(dc, p.x, p.y, p.width, borders.top.width, Colour(borders.top.color));
  if (visible(borders.bottom))
    Fill(dc, p.x, p.y + p.height - borders.bottom.width, p.width, borders.bottom.width,
         Colour(borders.bottom.color));
  if (visible(borders.left))
    Fill(dc, p.x, p.y, borders.left.width, p.height, Colour(borders.left.color));
  if (visible(borders.right))
    Fill(dc, p.x + p.width - borders.right.width, p.y, borders.right.width, p.height,
         Colour(borders.right.color));
  if (saved != 0) RestoreDC(dc, saved);
}

void PageCanvas::set_caption(const litehtml::tchar_t* caption) {
  title_ = caption != nullptr ? caption : "";
}

void PageCanvas::set_base_url(const litehtml::tchar_t* base_url) {
  if (base_url != nullptr && *base_url != '\0')
    baseAddress_ = ResolveAddress(pageAddress_, base_url);
}

void PageCanvas::link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) {}

void PageCanvas::on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) {
  if (url == nullptr) return;
  Click click;
  click.address = ResolveAddress(baseAddress_, url);
  if (el != nullptr) {
    const char* target = el->get_attr("target");
    if (target != nullptr) click.target = target;
  }
  clicks_.push_back(std::move(click));
}

std::vector<PageCanvas::Click> PageCanvas::TakeClicks() {
  return std::exchange(clicks_, {});
}

void PageCanvas::set_cursor(const litehtml::tchar_t*) {
  // The viewer decides the cursor from the link under the mouse.
}

void PageCanvas::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
  bool start = true;
  for (char& c : text) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
      start = false;
      continue;
    }
    if (tt == litehtml::text_transform_uppercase ||
        (tt == litehtml::text_transform_capitalize && start))
      c = static_cast<char>(std::toupper(b));
    else if (tt == litehtml::text_transform_lowercase)
      c = static_cast<char>(std::tolower(b));
    start = std::isspace(b) != 0;
  }
}

void PageCanvas::import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) {
  // Outside style sheets are not loaded: a page shows with its own <style> and ours.
}

void PageCanvas::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool,
                          bool) {
  litehtml::position clip = pos;
  if (!clips_.empty()) {
    const litehtml::position& outer = clips_.back();
    const int left = std::max(clip.x, outer.x), top = std::max(clip.y, outer.y);
    const int right = std::min(clip.x + clip.width, outer.x + outer.width);
    const int bottom = std::min(clip.y + clip.height, outer.y + outer.height);
    clip.x = left;
    clip.y = top;
    clip.width = std::max(0, right - left);
    clip.height = std::max(0, bottom - top);
  }
  clips_.push_back(clip);
}

void PageCanvas::del_clip() {
  if (!clips_.empty()) clips_.pop_back();
}

int PageCanvas::BeginClip(HDC dc) const {
  if (clips_.empty()) return 0;
  const int saved = SaveDC(dc);
  const litehtml::position& c = clips_.back();
  IntersectClipRect(dc, c.x, c.y, c.x + c.width, c.y + c.height);
  return saved;
}

void PageCanvas::get_client_rect(litehtml::position& client) const {
  client.x = 0;
  client.y = 0;
  client.width = viewWidth_;
  client.height = viewHeight_;
}

std::shared_ptr<litehtml::element> PageCanvas::create_element(
    const litehtml::tchar_t*, const litehtml::string_map&,
    const std::shared_ptr<litehtml::document>&) {
  return nullptr;
}

void PageCanvas::get_media_features(litehtml::media_features& media) const {
  media.type = litehtml::media_type_screen;
  media.width = viewWidth_;
  media.height = viewHeight_;
  media.device_width = GetSystemMetrics(SM_CXSCREEN);
  media.device_height = GetSystemMetrics(SM_CYSCREEN);
  media.color = 8;
  media.color_index = 0;
  media.monochrome = 0;
  media.resolution = 96;
}

void PageCanvas::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
  language = "zh";
  culture = "zh-CN";
}

}  // namespace forms::html
