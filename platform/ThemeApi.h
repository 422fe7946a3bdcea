/* The theme interface: how an outside shared object (loaded with LoadLibraryA) changes the
 * look of every window and control of the process. Plain C so that any compiler can build
 * such a library.
 *
 * A theme gives a palette (the system colours), metrics, and one painting callback that
 * is asked for each piece of a window or control as it is drawn. The callback returns
 * nonzero when it painted the piece and 0 to let the built-in look paint it, so a theme
 * may restyle only some pieces. Installing a theme repaints all existing windows at once.
 *
 * The library finds the installer through the User32 module:
 *   VelmoraInstallThemeFn install =
 *       (VelmoraInstallThemeFn)GetProcAddress(LoadLibraryA("user32"), "VelmoraInstallTheme");
 * Everything a theme hands over is copied during the call except `context` and `paint`,
 * which must stay valid until another theme is installed or VelmoraInstallTheme(NULL)
 * brings back the built-in look. */
#ifndef VELMORA_PLATFORM_THEME_API_H
#define VELMORA_PLATFORM_THEME_API_H

#include <stdint.h>

#ifdef __cplusplus
#include "platform/wingdi.h"
extern "C" {
#else
/* The few Win32 types the interface uses, laid out as in the platform's headers. */
typedef void* HDC;
typedef void* HFONT;
typedef uint32_t COLORREF;
typedef uint32_t DWORD;
typedef int32_t BOOL;
typedef struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} RECT;
#endif

#define VELMORA_THEME_VERSION 1

/* The pieces a theme may paint. Values are stable: themes are built separately. */
enum VelmoraThemePart {
  /* Non-client frame (rect: the piece in window coordinates). */
  VELMORA_PART_FRAME = 1,          /* borders and edges around `info->inner` (the client) */
  VELMORA_PART_CAPTION = 2,        /* caption bar without buttons; text = title */
  VELMORA_PART_CAPTION_BUTTON = 3, /* value: 0 close, 1 maximise, 2 restore, 3 minimise */
  VELMORA_PART_MENU_BAR = 4,       /* the bar's background */
  /* Menus. */
  /* text = label (with "&" access-key markers), text2 = shortcut; flags below; value 1 =
   * in the bar; in a popup, inner = the column the layout measured the texts for */
  VELMORA_PART_MENU_ITEM = 10,
  VELMORA_PART_MENU_POPUP = 11, /* background and border; inner = the items' text column */
  /* Buttons and statics. */
  VELMORA_PART_PUSH_BUTTON =
      20, /* face and border; text drawn by the control unless the theme paints it */
  VELMORA_PART_CHECK_BOX = 21,    /* the box only; value: 0 clear, 1 checked, 2 indeterminate */
  VELMORA_PART_RADIO_BUTTON = 22, /* the circle only; value: 0 clear, 1 checked */
  VELMORA_PART_GROUP_BOX = 23,    /* frame; inner = the gap left for the caption text */
  VELMORA_PART_FOCUS_RECT = 24,
  /* Edits and lists. */
  VELMORA_PART_EDIT_FRAME = 30, /* border of an edit, list box or combo box */
  VELMORA_PART_EDIT_BACKGROUND = 31,
  VELMORA_PART_LIST_ITEM = 32,    /* text = item; flags: selected, focused */
  VELMORA_PART_COMBO_BUTTON = 33, /* the drop-down arrow button */
  /* Scroll bars (value: 0 horizontal, 1 vertical). */
  VELMORA_PART_SCROLL_ARROW = 40, /* value2: 0 up/left, 1 down/right */
  VELMORA_PART_SCROLL_TRACK = 41, /* value2: 0 before the thumb, 1 after */
  VELMORA_PART_SCROLL_THUMB = 42,
  /* Trackbars (value: 0 horizontal, 1 vertical). */
  VELMORA_PART_TRACKBAR_CHANNEL = 50,
  VELMORA_PART_TRACKBAR_THUMB = 51,
  VELMORA_PART_TRACKBAR_TICK = 52,
  /* Progress bars (value: 0 horizontal, 1 vertical; value2: 1 smooth). */
  VELMORA_PART_PROGRESS_TRACK = 60,
  VELMORA_PART_PROGRESS_FILL = 61, /* rect: the filled part */
  /* Status bars. */
  VELMORA_PART_STATUS_BACKGROUND = 70,
  VELMORA_PART_STATUS_PANE = 71, /* text = pane text */
  VELMORA_PART_SIZE_GRIP = 72,
  /* Dialogs. */
  VELMORA_PART_DIALOG_BACKGROUND = 80
};

/* State flags of a piece. */
#define VELMORA_STATE_HOT 0x0001
#define VELMORA_STATE_PRESSED 0x0002
#define VELMORA_STATE_DISABLED 0x0004
#define VELMORA_STATE_FOCUSED 0x0008
#define VELMORA_STATE_CHECKED 0x0010
#define VELMORA_STATE_SELECTED 0x0020
#define VELMORA_STATE_DEFAULT 0x0040 /* the default push button */
#define VELMORA_STATE_ACTIVE 0x0080  /* the frame of the active window */
#define VELMORA_STATE_GRAYED 0x0100
#define VELMORA_STATE_SEPARATOR 0x0200
#define VELMORA_STATE_POPUP 0x0400 /* a menu item that opens a submenu */

typedef struct VelmoraThemePaintInfo {
  uint32_t size;  /* sizeof(VelmoraThemePaintInfo) */
  uint32_t state; /* VELMORA_STATE_* */
  int32_t value;  /* per part, see above */
  int32_t value2;
  RECT inner;        /* per part, see above */
  const char* text;  /* GBK, may be NULL */
  const char* text2; /* GBK, may be NULL */
  DWORD style;       /* the window's style and extended style */
  DWORD exStyle;
  HFONT font; /* the font the control uses */
} VelmoraThemePaintInfo;

typedef struct VelmoraThemeMetrics {
  int32_t fixedBorder; /* must stay 6: programs lay out against 6 + 24 */
  int32_t resizableBorder;
  int32_t toolFixedBorder;
  int32_t toolResizableBorder;
  int32_t captionHeight; /* must stay 24 */
  int32_t toolCaptionHeight;
  int32_t menuBarHeight;
  int32_t captionButtonWidth;
  int32_t scrollBarSize;
} VelmoraThemeMetrics;

typedef int (*VelmoraThemePaintFn)(void* context, HDC dc, int part, const RECT* rect,
                                   const VelmoraThemePaintInfo* info);

typedef struct VelmoraTheme {
  uint32_t size;             /* sizeof(VelmoraTheme) */
  uint32_t version;          /* VELMORA_THEME_VERSION */
  const COLORREF* sysColors; /* COLOR_* indices 0..sysColorCount-1, or NULL */
  int32_t sysColorCount;
  const VelmoraThemeMetrics* metrics; /* NULL keeps the built-in metrics */
  VelmoraThemePaintFn paint;          /* NULL paints nothing itself */
  void* context;
} VelmoraTheme;

/* Installs a theme for every window of the process (NULL: the built-in look). Returns
 * FALSE for a record of the wrong size or version, or metrics that break the fixed frame. */
BOOL VelmoraInstallTheme(const VelmoraTheme* theme);
typedef BOOL (*VelmoraInstallThemeFn)(const VelmoraTheme* theme);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_PLATFORM_THEME_API_H */
