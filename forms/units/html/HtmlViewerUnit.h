// The HTML viewer unit: a child window that shows a web page. It loads with PageFetcher off
// the window's thread, lays the page out with the engine over a PageCanvas, and raises the
// viewer's events on its own thread in the order a navigation goes through them:
//   0 before navigating (a returned false stops it; `url` reads the target meanwhile),
//   2 loading begins, 3 progress, 1 the page is shown, 8 back/forward availability,
//   4 loading done, 5 the document (with its pictures) is ready;
// 6 and 7 when the status text or the title change, 9 before a link opens a new window.
#pragma once

#include <litehtml.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "forms/data/TypeBlock.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/html/PageCanvas.h"
#include "forms/units/html/PageFetcher.h"

namespace forms::html {

inline constexpr uint32_t kHtmlFontSize = 8;
inline constexpr uint32_t kHtmlOffline = 9;
inline constexpr uint32_t kHtmlSilent = 10;
inline constexpr uint32_t kHtmlUrl = 11;
inline constexpr uint32_t kHtmlStatusText = 12;
inline constexpr uint32_t kHtmlCaption = 13;

inline constexpr int32_t kEventBeforeNavigate = 0;
inline constexpr int32_t kEventNavigateComplete = 1;
inline constexpr int32_t kEventDownloadBegin = 2;
inline constexpr int32_t kEventProgress = 3;
inline constexpr int32_t kEventDownloadComplete = 4;
inline constexpr int32_t kEventDocumentComplete = 5;
inline constexpr int32_t kEventStatusText = 6;
inline constexpr int32_t kEventTitle = 7;
inline constexpr int32_t kEventCommandState = 8;
inline constexpr int32_t kEventNewWindow = 9;

// The base font size in pixels of each FontSize choice (smallest ... largest).
int FontSizePixels(uint32_t choice);

class HtmlViewerUnit : public UnitObject {
 public:
  HtmlViewerUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties);
  ~HtmlViewerUnit() override;

  static UnitObject* Create(const UnitCreateArgs& args);

  TypeBlock& Properties() { return properties_; }
  int32_t SetProperty(uint32_t property, const PropertyValue& value);
  int32_t GetProperty(uint32_t property, PropertyValue* out);

  // Starts a navigation as setting `url` does (the address in UTF-8).
  void Navigate(const std::string& address);
  bool GoBack();
  bool GoForward();
  // Shows markup as if it had arrived from `address`, without loading anything.
  void ShowMarkup(const std::string& utf8, const std::string& address);

  const std::string& Address() const { return address_; }
  int ScrollTop() const { return scrollTop_; }
  int DocumentHeight() const { return documentHeight_; }
  bool Loading() const { return loading_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  enum class Move { New, Back, Forward, Reload };

  void StartNavigation(const std::string& target, Move move);
  void BeginLoad(const std::string& target, Move move);
  void OnFetchNotices();
  void PageArrived(const FetchNotice& notice);
  void PictureArrived(const FetchNotice& notice);
  void FinishLoad();
  void ShowDocument(const std::string& utf8, const std::string& address);
  void StartPictures();
  void Relayout();
  void ScrollTo(int top);
  void Paint();
  void MouseMoved(int x, int y);
  void MouseButton(bool down, int x, int y);
  bool KeyDown(WPARAM key, bool alt);
  void FollowLink(const PageCanvas::Click& click);
  void OpenNewWindow(const std::string& address);
  void SetStatus(const std::string& utf8);
  void ReportCommandState();
  // Raises an event; false when the unit died or a newer navigation began during the handler.
  bool Raise(int32_t event, std::initializer_list<uint32_t> args, EventOutcome* outcome = nullptr);
  std::string LinkAt(int x, int y) const;
  RECT ClientRect() const;

  TypeBlock properties_;
  std::unique_ptr<PageFetcher> fetcher_;
  std::unique_ptr<PageCanvas> canvas_;
  litehtml::document::ptr document_;
  std::string address_;  // UTF-8 address of the page shown
  std::string markup_;   // UTF-8 markup of the page shown
  std::string pending_;  // the target while event 0 runs
  std::string status_;   // GBK
  std::string caption_;  // GBK
  std::vector<std::string> history_;
  size_t historyIndex_ = 0;
  bool reportedBack_ = false;
  bool reportedForward_ = false;

  uint64_t generation_ = 0;  // grows with every navigation begun
  bool loading_ = false;
  std::string loadTarget_;
  Move loadMove_ = Move::New;
  uint64_t pageTicket_ = 0;
  int lastPercent_ = -1;
  std::set<uint64_t> pictureTickets_;
  std::vector<std::pair<uint64_t, std::string>> pictureAddresses_;
  bool awaitingPictures_ = false;

  int scrollTop_ = 0;
  int documentHeight_ = 0;
  int layoutWidth_ = -1;
  std::string hoverLink_;
  HBITMAP backBuffer_ = nullptr;
  SIZE backBufferSize_{0, 0};

  std::string propertyText_;  // returned by a get, kept until the next one
  std::vector<uint8_t> blockCopy_;
};

// The viewer type's descriptor operations.
void* HtmlViewerInterface(int32_t operation);

}  // namespace forms::html
