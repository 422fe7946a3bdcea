// The look of the non-client frame. The window manager decides what is where (borders,
// caption, caption buttons and their states) from the theme's metrics, and asks the theme
// to draw each piece; a theme never changes layout rules, only sizes and looks.
#pragma once

#include <memory>
#include <string>

#include "platform/user32.h"

namespace platform::user {

enum class CaptionButton { Close, Maximize, Restore, Minimize };
enum class ButtonState { Normal, Hot, Pressed, Disabled };

// Sizes in pixels. The fixed-border caption (6 + 24) is what programs lay themselves out
// against, so themes keep it; the others are ours to choose.
struct ThemeMetrics {
  int fixedBorder = 6;          // WS_DLGFRAME, and so WS_CAPTION without WS_THICKFRAME
  int resizableBorder = 8;      // WS_THICKFRAME
  int toolFixedBorder = 4;      // WS_EX_TOOLWINDOW without WS_THICKFRAME
  int toolResizableBorder = 6;  // WS_EX_TOOLWINDOW with WS_THICKFRAME
  int thinBorder = 1;           // WS_BORDER alone
  int clientEdge = 2;           // WS_EX_CLIENTEDGE, inside the border
  int staticEdge = 1;           // WS_EX_STATICEDGE, inside the border
  int captionHeight = 24;
  int toolCaptionHeight = 20;
  int menuBarHeight = 20;
  int captionButtonWidth = 36;
  int toolCaptionButtonWidth = 28;
  // How far from a corner a press on a resizable border resizes both ways.
  int cornerGrip = 16;
};

// What a frame shows. Rectangles given to the painting calls are in window coordinates
// (0,0 is the window's top-left corner).
struct FrameState {
  DWORD style = 0;
  DWORD exStyle = 0;
  bool active = false;
  bool maximized = false;
  std::string title;  // GBK
  HICON icon = nullptr;
};

class Theme {
 public:
  virtual ~Theme() = default;
  virtual const ThemeMetrics& Metrics() const = 0;
  // Everything outside `client`: borders, client edge, caption and menu bar backgrounds.
  virtual void PaintFrame(HDC dc, const RECT& window, const RECT& client,
                          const FrameState& state) = 0;
  // The caption bar's title and icon; `caption` excludes the buttons.
  virtual void PaintCaption(HDC dc, const RECT& caption, const FrameState& state) = 0;
  virtual void PaintCaptionButton(HDC dc, const RECT& button, CaptionButton which,
                                  ButtonState state, const FrameState& frame) = 0;
};

// The theme in use (the default one until another is installed). Held by shared_ptr so a
// paint in progress keeps its theme alive while another thread replaces it.
std::shared_ptr<Theme> CurrentTheme();
// Installs a theme; null brings back the default. Windows repaint their frames.
void InstallTheme(std::shared_ptr<Theme> theme);
std::shared_ptr<Theme> CreateDefaultTheme();

}  // namespace platform::user
