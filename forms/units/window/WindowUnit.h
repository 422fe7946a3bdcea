// The window's own unit: the top-level window that holds a form's units. Beyond what every
// unit object keeps, it holds the menu's accelerator table, the modal state with the
// windows it disabled, its icons, the created and being-destroyed flags and its properties
// (the window type block), whose switches steer the keyboard handling of the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/data/TypeBlock.h"
#include "forms/units/BlockProperties.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "pictures/DecodedPicture.h"

namespace forms {

// Window property indexes.
inline constexpr uint32_t kWindowCaption = 8;
inline constexpr uint32_t kWindowBorder = 9;
inline constexpr uint32_t kWindowBackColor = 10;
inline constexpr uint32_t kWindowBackPicture = 11;
// How the back picture is laid out: 0 at the top-left, 1 tiled, 2 centred and shrunk to fit.
inline constexpr uint32_t kWindowBackPictureMode = 12;
inline constexpr uint32_t kBackPictureTiled = 1;
inline constexpr uint32_t kWindowMusic = 13;
inline constexpr uint32_t kWindowControlBox = 15;
inline constexpr uint32_t kWindowMaxButton = 16;
inline constexpr uint32_t kWindowMinButton = 17;
inline constexpr uint32_t kWindowState = 18;
inline constexpr uint32_t kWindowIcon = 20;
inline constexpr uint32_t kWindowEnterMovesFocus = 21;
inline constexpr uint32_t kWindowEscCloses = 22;
inline constexpr uint32_t kWindowF1OpensHelp = 23;
inline constexpr uint32_t kWindowHelpFile = 24;
inline constexpr uint32_t kWindowHelpContext = 25;
inline constexpr uint32_t kWindowDragByClient = 27;
inline constexpr uint32_t kWindowClassName = 31;

// The first command id of a window's menu items; ids from 57600 belong to the system.
inline constexpr UINT kFirstMenuCommand = 20000;
inline constexpr UINT kFirstSystemCommand = 57600;

// Window styles for a set of window properties.
struct WindowStyles {
  DWORD style = 0;
  DWORD exStyle = 0;
};
WindowStyles StylesFor(const TypeBlock& properties);

// The help viewer's commands.
inline constexpr UINT kHelpContext = 1;
inline constexpr UINT kHelpQuit = 2;
inline constexpr UINT kHelpOnHelp = 4;
inline constexpr UINT kHelpPopup = 8;
inline constexpr UINT kHelpOpenFile = 9;
inline constexpr UINT kHelpFinder = 11;

// What the help viewer would have been asked to show (the platform has no help viewer).
struct HelpRequest {
  HWND window = nullptr;
  std::string file;
  UINT command = 0;
  uint32_t context = 0;
};
std::vector<HelpRequest> TakeHelpRequests();
// Whether a help file names an existing file (not a folder).
bool HelpFileExists(const std::string& path);

class WindowUnit : public UnitObject {
 public:
  WindowUnit(uint32_t windowId, uint32_t unitId, TypeBlock properties)
      : UnitObject(windowId, unitId), properties_(std::move(properties)) {}
  ~WindowUnit() override;

  // Operation 1 for the window type. A type that extends the window passes its own
  // factory for the object; the window itself is made the same way.
  using Factory = WindowUnit* (*)(uint32_t windowId, uint32_t unitId, TypeBlock properties);
  static UnitObject* Create(const UnitCreateArgs& args);
  static UnitObject* CreateWith(const UnitCreateArgs& args, Factory make);

  TypeBlock& Properties() { return properties_; }
  const TypeBlock& Properties() const { return properties_; }
  bool Switch(uint32_t property) const { return properties_.Logical(property); }

  HACCEL Accelerators() const { return accelerators_; }
  // Installs a new table (destroying the older one).
  void SetAccelerators(HACCEL table);

  bool Modal() const { return modal_; }
  // Marks the window modal and disables every other parentless loaded window, keeping
  // each one's earlier state.
  void BeginModal();
  // Gives the disabled windows their earlier state back (once).
  void RestoreDisabledWindows();

  bool Created() const { return created_; }
  void SetCreated(bool on) { created_ = on; }
  bool BeingDestroyed() const { return beingDestroyed_; }
  void SetBeingDestroyed() { beingDestroyed_ = true; }

  // Opens the help file for F1; false when the switch is off or the file does not exist.
  bool OpenHelp();
  // A help call made for this window by one of its units. Every command but quitting leaves
  // the viewer marked as opened for the window, so that it is quit with the window.
  void RecordHelpCall(const std::string& file, UINT command, uint32_t context);

  // Periodic idle work, given the milliseconds since the idle period began; true while the
  // window wants more. A plain window has none.
  virtual bool IdleWork(uint32_t /*elapsedMs*/) { return false; }

  // Properties 8 and up through the type's operations.
  int32_t SetProperty(uint32_t property, const PropertyValue& value);
  int32_t GetProperty(uint32_t property, PropertyValue* out);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose(bool byProgram);
  void OnDestroy();
  void EraseBackground(HDC dc);
  // The back picture, decoded on first use after it was set.
  const pic::DecodedPicture* BackPicture();
  void ApplyStyles();
  void ApplyIcons();
  void ReleaseIcons();

  TypeBlock properties_;
  HACCEL accelerators_ = nullptr;
  bool modal_ = false;
  std::vector<std::pair<HWND, bool>> disabled_;  // window, was enabled
  HICON icons_[2] = {nullptr, nullptr};          // large, small
  bool ownIcons_ = false;
  bool created_ = false;
  bool beingDestroyed_ = false;
  bool helpOpened_ = false;
  ReadKeeper readKeeper_;  // what a get returned, kept until the next one
  std::unique_ptr<pic::DecodedPicture, void (*)(pic::DecodedPicture*)> backPicture_{
      nullptr, pic::ReleasePicture};
  bool backPictureDecoded_ = false;
};

// The window type's descriptor (property table 0-31, state bits, operations) and the
// menu item's (its four properties).
const rt::DataTypeDescriptor* WindowTypeDescriptor();
const rt::DataTypeDescriptor* MenuTypeDescriptor();
// Registers "OrmWindow" (or another class name) on first use; false when it cannot.
bool EnsureWindowClass(const char* className);

}  // namespace forms
