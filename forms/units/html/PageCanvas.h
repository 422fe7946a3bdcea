// The layout engine's view of our platform: fonts are GDI fonts, text is measured and drawn
// with the wide-text GDI calls (pages hold characters GBK lacks), boxes, borders, list
// markers and pictures are drawn with GDI on whatever DC the page is painted into. Pictures
// are decoded by our own decoders; the canvas only collects the addresses a page asks for,
// and the viewer fetches them and hands the bytes back.
#pragma once

#include <litehtml.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/wingdi.h"

namespace forms::html {

class PageCanvas final : public litehtml::document_container {
 public:
  PageCanvas();
  ~PageCanvas();
  PageCanvas(const PageCanvas&) = delete;
  PageCanvas& operator=(const PageCanvas&) = delete;

  // The page's own address (links and pictures are read against it) and the base font size.
  void SetPageAddress(const std::string& address) { pageAddress_ = baseAddress_ = address; }
  const std::string& BaseAddress() const { return baseAddress_; }
  void SetDefaultFontSize(int px) { defaultFontSize_ = px; }
  void SetViewport(int width, int height) {
    viewWidth_ = width;
    viewHeight_ = height;
  }

  // The title the page set (UTF-8), and whether it changed since the last call.
  const std::string& Title() const { return title_; }
  // Pictures the page asked for and that were not asked for before (absolute addresses).
  std::vector<std::string> TakeWantedPictures();
  // The bytes of a picture; false when they do not decode (the picture then stays empty).
  bool SetPicture(const std::string& address, const std::string& bytes);
  // Link clicks the engine reported, in order: (absolute address, target attribute).
  struct Click {
    std::string address;
    std::string target;
  };
  std::vector<Click> TakeClicks();

  // litehtml::document_container
  litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                 litehtml::font_style italic, unsigned int decoration,
                                 litehtml::font_metrics* fm) override;
  void delete_font(litehtml::uint_ptr font) override;
  int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override;
  void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr font,
                 litehtml::web_color color, const litehtml::position& pos) override;
  int pt_to_px(int pt) const override { return pt * 96 / 72; }
  int get_default_font_size() const override { return defaultFontSize_; }
  const litehtml::tchar_t* get_default_font_name() const override;
  void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
  void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                  bool redraw_on_ready) override;
  void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                      litehtml::size& sz) override;
  void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
  void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                    const litehtml::position& draw_pos, bool root) override;
  void set_caption(const litehtml::tchar_t* caption) override;
  void set_base_url(const litehtml::tchar_t* base_url) override;
  void link(const std::shared_ptr<litehtml::document>& doc,
            const litehtml::element::ptr& el) override;
  void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
  void set_cursor(const litehtml::tchar_t* cursor) override;
  void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
  void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                  litehtml::tstring& baseurl) override;
  void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius,
                bool valid_x, bool valid_y) override;
  void del_clip() override;
  void get_client_rect(litehtml::position& client) const override;
  std::shared_ptr<litehtml::element> create_element(
      const litehtml::tchar_t* tag_name, const litehtml::string_map& attributes,
      const std::shared_ptr<litehtml::document>& doc) override;
  void get_media_features(litehtml::media_features& media) const override;
  void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;

 private:
  struct Font;
  struct Picture {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
  };
  const Picture* FindPicture(const std::string& src, const char* baseurl) const;
  std::string Absolute(const std::string& src, const char* baseurl) const;
  // Applies the innermost clip of the engine to `dc` for one drawing call.
  int BeginClip(HDC dc) const;
  void DrawPicture(HDC dc, const Picture& picture, const litehtml::background_paint& bg);

  HDC measure_ = nullptr;
  HFONT measureFont_ = nullptr;
  std::string pageAddress_;
  std::string baseAddress_;
  int defaultFontSize_ = 16;
  int viewWidth_ = 0;
  int viewHeight_ = 0;
  std::string title_;
  std::map<std::string, Picture> pictures_;
  std::vector<std::string> wanted_;
  std::vector<Click> clicks_;
  std::vector<litehtml::position> clips_;
};

}  // namespace forms::html
