#include "forms/units/html/HtmlViewerUnit.h"

#include <algorithm>

#include "forms/units/html/PageAddress.h"
#include "forms/units/html/PageDocument.h"
#include "forms/units/html/PageText.h"
#include "platform/kernel/CodePage.h"
#include "platform/winuser_controls.h"
#include "platform/winuser_lists.h"

namespace forms::html {

namespace {

constexpr char kViewerClass[] = "VelmoraHtmlViewer";
// Posted by the fetcher's workers when notices are waiting.
constexpr UINT kMsgFetchNotices = WM_USER + 0x310;
// A link click is followed after the engine has finished handling the button.
constexpr UINT kMsgFollowLinks = WM_USER + 0x311;
constexpr int kLineStep = 40;
constexpr int kWheelLines = 3;

std::string ToGbk(const std::string& utf8) {
  return platform::kernel::Utf8ToGbk(utf8, false).value_or("");
}
std::string FromGbk(const std::string& gbk) {
  return platform::kernel::GbkToUtf8(gbk, false).value_or("");
}

std::string EscapeMarkup(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// What the viewer shows when a page cannot be loaded (unless it is silent).
std::string ErrorPage(const std::string& address, const std::string& reason) {
  return "<html><head><title>无法显示网页</title></head><body>"
         "<h2>无法显示网页</h2>"
         "<p>没能打开 <b>" +
         EscapeMarkup(address) + "</b>。</p><p>原因：" + EscapeMarkup(reason) +
         "</p><ul><li>检查地址是否拼写正确。</li><li>检查网络连接，或稍后再试。</li>"
         "</ul></body></html>";
}

bool EnsureViewerClass() {
  WNDCLASSA existing{};
  if (GetClassInfoA(nullptr, kViewerClass, &existing)) return true;
  WNDCLASSA c{};
  c.style = CS_DBLCLKS;
  c.lpfnWndProc = DefWindowProcA;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  c.lpszClassName = kViewerClass;
  return RegisterClassA(&c) != 0;
}

bool SameDocument(const std::string& a, const std::string& b) {
  auto strip = [](const std::string& s) { return s.substr(0, s.find('#')); };
  return !a.empty() && strip(a) == strip(b) && b.find('#') != std::string::npos;
}

}  // namespace

int FontSizePixels(uint32_t choice) {
  static constexpr int kSizes[] = {12, 14, 16, 19, 24};
  return kSizes[std::min<uint32_t>(choice, 4)];
}

HtmlViewerUnit::HtmlViewerUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
    : UnitObject(windowId, unitId), properties_(std::move(properties)) {}

HtmlViewerUnit::~HtmlViewerUnit() {
  document_.reset();
  canvas_.reset();
  if (backBuffer_ != nullptr) DeleteObject(backBuffer_);
}

UnitObject* HtmlViewerUnit::Create(const UnitCreateArgs& args) {
  const TypeBlockLayout* layout = FindTypeBlockLayout(kTypeHtmlViewer);
  if (layout == nullptr || !EnsureViewerClass()) return nullptr;
  TypeBlock properties(*layout);
  if (!args.typeBlock.empty() && !TypeBlock::Read(*layout, args.typeBlock, properties))
    return nullptr;
  HWND window = CreateWindowExA(
      WS_EX_CLIENTEDGE, kViewerClass, "", WS_CHILD | WS_VSCROLL | WS_CLIPSIBLINGS | args.style,
      args.left, args.top, args.width, args.height, args.parent,
      reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.controlId)), nullptr, nullptr);
  if (window == nullptr) return nullptr;
  auto* unit = new HtmlViewerUnit(args.windowId, args.unitId, std::move(properties));
  if (!unit->Attach(window)) {
    delete unit;
    DestroyWindow(window);
    return nullptr;
  }
  unit->fetcher_ = std::make_unique<PageFetcher>(window, kMsgFetchNotices);
  unit->ShowMarkup("", "");
  return unit;
}

// ---- Properties ---------------------------------------------------------------------------

int32_t HtmlViewerUnit::SetProperty(uint32_t property, const PropertyValue& value) {
  switch (property) {
    case kHtmlFontSize:
      properties_.SetWord(property, static_cast<uint32_t>(std::min<uint64_t>(value.word, 4)));
      // The size is read when fonts are made, so the page is parsed again over the same
      // canvas, which keeps the pictures it has.
      if (canvas_ != nullptr) {
        document_.reset();
        canvas_->SetDefaultFontSize(FontSizePixels(properties_.Word(kHtmlFontSize)));
        document_ = ParsePage(markup_, canvas_.get());
        layoutWidth_ = -1;
        Relayout();
        InvalidateRect(Handle(), nullptr, FALSE);
      }
      return 0;
    case kHtmlOffline:
    case kHtmlSilent:
      properties_.SetWord(property, value.word != 0 ? 1 : 0);
      return 0;
    case kHtmlUrl: {
      std::string text = value.data != nullptr ? static_cast<const char*>(value.data) : "";
      properties_.SetText(kHtmlUrl, text);
      std::string address = NormalizeAddress(FromGbk(text));
      if (!address.empty()) StartNavigation(address, Move::New);
      return 0;
    }
    default:
      return 0;  // status text and title are read only
  }
}

int32_t HtmlViewerUnit::GetProperty(uint32_t property, PropertyValue* out) {
  switch (property) {
    case kHtmlFontSize:
    case kHtmlOffline:
    case kHtmlSilent:
      out->word = properties_.Word(property);
      return 1;
    case kHtmlUrl:
      if (!pending_.empty()) {
        propertyText_ = ToGbk(pending_);
      } else if (!address_.empty()) {
        propertyText_ = ToGbk(address_);
      } else {
        propertyText_ = properties_.Text(kHtmlUrl);
      }
      break;
    case kHtmlStatusText:
      propertyText_ = status_;
      break;
    case kHtmlCaption:
      propertyText_ = caption_;
      break;
    default:
      return 0;
  }
  out->data = propertyText_.c_str();
  out->size = static_cast<uint32_t>(propertyText_.size());
  return 1;
}

// ---- Navigation ---------------------------------------------------------------------------

bool HtmlViewerUnit::Raise(int32_t event, std::initializer_list<uint32_t> args,
                           EventOutcome* outcome) {
  const uint64_t generation = generation_;
  EventOutcome result = RaiseEvent(event, args);
  if (!IsLive(this)) return false;
  if (outcome != nullptr) *outcome = result;
  return generation == generation_;
}

void HtmlViewerUnit::Navigate(const std::string& address) {
  StartNavigation(NormalizeAddress(address), Move::New);
}

bool HtmlViewerUnit::GoBack() {
  if (historyIndex_ == 0 || history_.empty()) return false;
  StartNavigation(history_[historyIndex_ - 1], Move::Back);
  return true;
}

bool HtmlViewerUnit::GoForward() {
  if (historyIndex_ + 1 >= history_.size()) return false;
  StartNavigation(history_[historyIndex_ + 1], Move::Forward);
  return true;
}

void HtmlViewerUnit::StartNavigation(const std::string& target, Move move) {
  if (target.empty()) return;
  ++generation_;
  pending_ = target;
  EventOutcome outcome;
  const bool current = Raise(kEventBeforeNavigate, {}, &outcome);
  if (!IsLive(this)) return;
  if (!current) return;  // the handler navigated elsewhere
  pending_.clear();
  if (outcome.returned && outcome.value == 0) return;
  BeginLoad(target, move);
}

void HtmlViewerUnit::BeginLoad(const std::string& target, Move move) {
  if (fetcher_ == nullptr) return;
  fetcher_->CancelAll();
  pictureTickets_.clear();
  pictureAddresses_.clear();
  awaitingPictures_ = false;
  loading_ = true;
  loadTarget_ = target;
  loadMove_ = move;
  lastPercent_ = -1;
  pageTicket_ = 0;
  if (!Raise(kEventDownloadBegin, {})) return;
  const std::string scheme = SchemeOf(target);
  if (properties_.Logical(kHtmlOffline) && scheme != "file") {
    FetchNotice offline;
    offline.finished = true;
    offline.address = target;
    offline.error = "脱机状态下不能打开网络上的网页";
    PageArrived(offline);
    return;
  }
  pageTicket_ = fetcher_->Start(target, true);
}

void HtmlViewerUnit::OnFetchNotices() {
  if (fetcher_ == nullptr) return;
  for (FetchNotice& notice : fetcher_->Take()) {
    const uint64_t generation = generation_;
    if (notice.ticket == pageTicket_ && pageTicket_ != 0) {
      if (!notice.finished) {
        if (notice.percent != lastPercent_) {
          lastPercent_ = notice.percent;
          if (!Raise(kEventProgress, {static_cast<uint32_t>(notice.percent)})) return;
        }
      } else {
        pageTicket_ = 0;
        PageArrived(notice);
      }
    } else if (pictureTickets_.count(notice.ticket) != 0 && notice.finished) {
      PictureArrived(notice);
    }
    if (!IsLive(this) || generation != generation_) return;
  }
}

void HtmlViewerUnit::PageArrived(const FetchNotice& notice) {
  if (lastPercent_ != 100) {
    lastPercent_ = 100;
    if (!Raise(kEventProgress, {100})) return;
  }
  std::string markup;
  if (notice.ok) {
    markup = PageToUtf8(notice.body, notice.contentType);
  } else if (!properties_.Logical(kHtmlSilent)) {
    markup = ErrorPage(loadTarget_, notice.error);
  }
  const std::string shown = notice.ok ? notice.address : loadTarget_;
  switch (loadMove_) {
    case Move::New:
      if (!history_.empty()) history_.resize(historyIndex_ + 1);
      history_.push_back(shown);
      historyIndex_ = history_.size() - 1;
      break;
    case Move::Back:
      if (historyIndex_ > 0) --historyIndex_;
      break;
    case Move::Forward:
      if (historyIndex_ + 1 < history_.size()) ++historyIndex_;
      break;
    case Move::Reload:
      break;
  }
  const std::string oldCaption = caption_;
  ShowDocument(markup, shown);
  properties_.SetText(kHtmlUrl, ToGbk(shown));
  if (caption_ != oldCaption && !Raise(kEventTitle, {})) return;
  if (!Raise(kEventNavigateComplete, {})) return;
  ReportCommandState();
  if (!IsLive(this)) return;
  StartPictures();
  if (pictureTickets_.empty()) FinishLoad();
}

void HtmlViewerUnit::StartPictures() {
  if (canvas_ == nullptr || fetcher_ == nullptr) return;
  for (const std::string& address : canvas_->TakeWantedPictures()) {
    if (properties_.Logical(kHtmlOffline) && SchemeOf(address) != "file") continue;
    uint64_t ticket = fetcher_->Start(address, false);
    pictureTickets_.insert(ticket);
    pictureAddresses_.emplace_back(ticket, address);
  }
  awaitingPictures_ = !pictureTickets_.empty();
}

void HtmlViewerUnit::PictureArrived(const FetchNotice& notice) {
  pictureTickets_.erase(notice.ticket);
  auto it = std::find_if(pictureAddresses_.begin(), pictureAddresses_.end(),
                         [&](const auto& p) { return p.first == notice.ticket; });
  if (it != pictureAddresses_.end()) {
    if (notice.ok && canvas_ != nullptr) canvas_->SetPicture(it->second, notice.body);
    pictureAddresses_.erase(it);
  }
  if (pictureTickets_.empty() && awaitingPictures_) {
    awaitingPictures_ = false;
    layoutWidth_ = -1;  // pictures change the sizes of their boxes
    Relayout();
    InvalidateRect(Handle(), nullptr, FALSE);
    if (loading_) FinishLoad();
  }
}

void HtmlViewerUnit::FinishLoad() {
  loading_ = false;
  if (!Raise(kEventDownloadComplete, {})) return;
  Raise(kEventDocumentComplete, {});
}

void HtmlViewerUnit::ReportCommandState() {
  const bool back = historyIndex_ > 0 && !history_.empty();
  const bool forward = historyIndex_ + 1 < history_.size();
  if (forward != reportedForward_) {
    reportedForward_ = forward;
    if (!Raise(kEventCommandState, {0, forward ? 1u : 0u})) return;
  }
  if (back != reportedBack_) {
    reportedBack_ = back;
    Raise(kEventCommandState, {1, back ? 1u : 0u});
  }
}

void HtmlViewerUnit::ShowMarkup(const std::string& utf8, const std::string& address) {
  ShowDocument(utf8, address);
}

void HtmlViewerUnit::ShowDocument(const std::string& utf8, const std::string& address) {
  std::string markup = utf8;  // may be markup_ itself
  document_.reset();
  auto canvas = std::make_unique<PageCanvas>();
  canvas->SetPageAddress(address);
  canvas->SetDefaultFontSize(FontSizePixels(properties_.Word(kHtmlFontSize)));
  canvas_ = std::move(canvas);
  address_ = address;
  markup_ = std::move(markup);
  document_ = ParsePage(markup_, canvas_.get());
  caption_ = ToGbk(canvas_->Title());
  hoverLink_.clear();
  scrollTop_ = 0;
  layoutWidth_ = -1;
  Relayout();
  InvalidateRect(Handle(), nullptr, FALSE);
}

// ---- Layout and painting ------------------------------------------------------------------

RECT HtmlViewerUnit::ClientRect() const {
  RECT r{};
  GetClientRect(Handle(), &r);
  return r;
}

void HtmlViewerUnit::Relayout() {
  if (document_ == nullptr || canvas_ == nullptr) return;
  const RECT client = ClientRect();
  const int width = std::max<int>(1, client.right - client.left);
  const int height = std::max<int>(1, client.bottom - client.top);
  canvas_->SetViewport(width, height);
  if (width != layoutWidth_) {
    document_->render(width);
    layoutWidth_ = width;
  }
  documentHeight_ = document_->height();
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, documentHeight_ - 1);
  info.nPage = static_cast<UINT>(height);
  scrollTop_ = std::clamp(scrollTop_, 0, std::max(0, documentHeight_ - height));
  info.nPos = scrollTop_;
  SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void HtmlViewerUnit::ScrollTo(int top) {
  const RECT client = ClientRect();
  const int height = client.bottom - client.top;
  top = std::clamp(top, 0, std::max(0, documentHeight_ - height));
  if (top == scrollTop_) return;
  scrollTop_ = top;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = top;
  SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void HtmlViewerUnit::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  const RECT client = ClientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width > 0 && height > 0) {
    if (backBuffer_ == nullptr || backBufferSize_.cx != width || backBufferSize_.cy != height) {
      if (backBuffer_ != nullptr) DeleteObject(backBuffer_);
      backBuffer_ = CreateCompatibleBitmap(dc, width, height);
      backBufferSize_ = {width, height};
    }
    // Drawn off screen: the page paints back to front and would flicker.
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, backBuffer_);
    RECT all{0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (document_ != nullptr) {
      litehtml::position clip(0, 0, width, height);
      document_->draw(reinterpret_cast<litehtml::uint_ptr>(memory), 0, -scrollTop_, &clip);
    }
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(Handle(), &ps);
}

// ---- Input --------------------------------------------------------------------------------

std::string HtmlViewerUnit::LinkAt(int x, int y) const {
  if (document_ == nullptr || document_->root() == nullptr) return {};
  litehtml::element::ptr el = document_->root()->get_element_by_point(x, y + scrollTop_, x, y);
  for (; el != nullptr; el = el->parent()) {
    const char* tag = el->get_tagName();
    if (tag != nullptr && std::string_view(tag) == "a") {
      const char* href = el->get_attr("href");
      if (href == nullptr) return {};
      return ResolveAddress(canvas_->BaseAddress(), href);
    }
  }
  return {};
}

void HtmlViewerUnit::SetStatus(const std::string& utf8) {
  std::string gbk = ToGbk(utf8);
  if (gbk == status_) return;
  status_ = std::move(gbk);
  Raise(kEventStatusText, {});
}

void HtmlViewerUnit::MouseMoved(int x, int y) {
  if (document_ == nullptr) return;
  litehtml::position::vector redraw;
  if (document_->on_mouse_over(x, y + scrollTop_, x, y, redraw))
    InvalidateRect(Handle(), nullptr, FALSE);
  std::string link = LinkAt(x, y);
  if (link != hoverLink_) {
    hoverLink_ = link;
    // WM_SETCURSOR came before this move, while the old link was still under the mouse.
    SetCursor(LoadCursorA(nullptr, link.empty() ? IDC_ARROW : IDC_HAND));
    SetStatus(link);
  }
}

void HtmlViewerUnit::MouseButton(bool down, int x, int y) {
  if (document_ == nullptr) return;
  litehtml::position::vector redraw;
  bool changed = down ? document_->on_lbutton_down(x, y + scrollTop_, x, y, redraw)
                      : document_->on_lbutton_up(x, y + scrollTop_, x, y, redraw);
  if (changed) InvalidateRect(Handle(), nullptr, FALSE);
  // The engine is still inside its own handling; the page may not be replaced under it.
  if (!down) PostMessageA(Handle(), kMsgFollowLinks, 0, 0);
}

void HtmlViewerUnit::FollowLink(const PageCanvas::Click& click) {
  if (click.address.empty() || !MayReach(address_, click.address)) return;
  if (SameDocument(address_, click.address)) return;
  std::string target = click.target;
  std::transform(target.begin(), target.end(), target.begin(), ::tolower);
  if (target == "_blank" || target == "_new") {
    OpenNewWindow(click.address);
    return;
  }
  StartNavigation(click.address, Move::New);
}

void HtmlViewerUnit::OpenNewWindow(const std::string& address) {
  EventOutcome outcome;
  if (!Raise(kEventNewWindow, {}, &outcome)) return;
  if (outcome.returned && outcome.value == 0) return;
  // Our viewer holds one page; a new window is the desktop's browser.
  ShellExecuteA(Handle(), "open", ToGbk(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool HtmlViewerUnit::KeyDown(WPARAM key, bool alt) {
  const RECT client = ClientRect();
  const int page = std::max(kLineStep, static_cast<int>(client.bottom - client.top) - kLineStep);
  if (alt) {
    if (key == VK_LEFT) return GoBack() || true;
    if (key == VK_RIGHT) return GoForward() || true;
    return false;
  }
  switch (key) {
    case VK_UP:
      ScrollTo(scrollTop_ - kLineStep);
      return true;
    case VK_DOWN:
      ScrollTo(scrollTop_ + kLineStep);
      return true;
    case VK_PRIOR:
      ScrollTo(scrollTop_ - page);
      return true;
    case VK_NEXT:
    case VK_SPACE:
      ScrollTo(scrollTop_ + page);
      return true;
    case VK_HOME:
      ScrollTo(0);
      return true;
    case VK_END:
      ScrollTo(documentHeight_);
      return true;
    case VK_BACK:
      GoBack();
      return true;
    default:
      return false;
  }
}

LRESULT HtmlViewerUnit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgFetchNotices:
      OnFetchNotices();
      return 0;
    case kMsgFollowLinks:
      if (canvas_ != nullptr) {
        for (const PageCanvas::Click& click : canvas_->TakeClicks()) {
          FollowLink(click);
          if (!IsLive(this)) return 0;
        }
      }
      return 0;
    case kMsgUnitsShown: {
      LRESULT r = UnitObject::HandleMessage(message, wParam, lParam);
      // The page named in the form opens once events reach their handlers.
      std::string address = NormalizeAddress(FromGbk(properties_.Text(kHtmlUrl)));
      if (!address.empty() && address_.empty() && !loading_) StartNavigation(address, Move::New);
      return r;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Relayout();
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      GetScrollInfo(Handle(), SB_VERT, &info);
      const int page = std::max<int>(kLineStep, static_cast<int>(info.nPage) - kLineStep);
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          ScrollTo(scrollTop_ - kLineStep);
          break;
        case SB_LINEDOWN:
          ScrollTo(scrollTop_ + kLineStep);
          break;
        case SB_PAGEUP:
          ScrollTo(scrollTop_ - page);
          break;
        case SB_PAGEDOWN:
          ScrollTo(scrollTop_ + page);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          ScrollTo(info.nTrackPos);
          break;
        case SB_TOP:
          ScrollTo(0);
          break;
        case SB_BOTTOM:
          ScrollTo(documentHeight_);
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      ScrollTo(scrollTop_ - notches * kWheelLines * kLineStep / 2);
      return 0;
    }
    case WM_MOUSEMOVE:
      MouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(Handle());
      MouseButton(true, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      MouseButton(false, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT &&
          !hoverLink_.empty()) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (KeyDown(wParam, false)) return 0;
      break;
    case WM_SYSKEYDOWN:
      if (KeyDown(wParam, true)) return 0;
      break;
    case WM_DESTROY:
      // Workers stop before the window they report to goes away.
      fetcher_.reset();
      break;
    default:
      break;
  }
  return UnitObject::HandleMessage(message, wParam, lParam);
}

}  // namespace forms::html
