// The orderly end of the program. It runs on the main thread; from any other thread it is
// handed to the main thread through the hidden message window, because windows, libraries
// and the end routine all belong to the main thread.
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/com/OleSession.h"
#include "runtime/dll/DllBinding.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/program/DefaultIcon.h"
#include "runtime/program/FrameworkWindows.h"
#include "runtime/sound/SoundRequest.h"

namespace rt {

namespace {

constexpr int32_t kLibraryEnd = 6;

void EndLibraries(RuntimeState& s) {
  // The copies are taken first: a library's end routine may call back into the runtime.
  std::vector<const LibraryDescriptor*> libraries;
  std::vector<intptr_t> words;
  libraries.swap(s.libraries);
  words.swap(s.libraryWords);
  for (size_t i = 0; i < libraries.size(); ++i) {
    const LibraryDescriptor* library = libraries[i];
    if (library != nullptr && library->notify != nullptr) {
      library->notify(kLibraryEnd, i < words.size() ? words[i] : 0, 0);
    }
  }
}

}  // namespace

void EndProgram(int32_t exitCode) {
  RuntimeState& s = Runtime();
  RaiseBusy();

  if (s.mainThreadId != 0 && GetCurrentThreadId() != s.mainThreadId) {
    // The main thread ends the process while handling the message, so this send does not
    // come back unless the main thread is already on its way out.
    if (s.messageWindow != nullptr) {
      SendMessageA(s.messageWindow, kEndProgramMessage, static_cast<WPARAM>(exitCode), 0);
    }
    if (!s.ending.load()) ExitProcess(static_cast<UINT>(exitCode));
    return;
  }

  s.ending = true;
  s.idleRoutines.clear();
  if (Forms().destroyAllWindows != nullptr) Forms().destroyAllWindows();

  if (EndRoutine routine = s.endRoutine) {
    s.endRoutine = nullptr;
    routine();
  }

  EndLibraries(s);
  FreeDllCommands();

  ClearConstantRanges();
  DestroyDefaultIcons();
  DestroyMessageWindow();

  DeleteFrameworkWindowObjects();
  // Sounds still playing belong to the runtime too; their threads must not outlive it.
  StopAllSound(true);

  // No socket library is started, so only the registered type libraries are left to undo.
  UnregisterServers();

  if (s.oleInitialised) {
    StopOle();
    s.oleInitialised = false;
  }
}

void EndProgramAndExit(int32_t exitCode) {
  EndProgram(exitCode);
  ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace rt
