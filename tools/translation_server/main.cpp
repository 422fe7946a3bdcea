// velmora-translation-server [--port N] [--phrases FILE]: answers the caption window's
// translation requests on 127.0.0.1 until interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/translation_server/TranslationService.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
}

int main(int argc, char** argv) {
  int port = 8750;
  std::string phrases = VELMORA_DEFAULT_PHRASES;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--port") == 0) {
      port = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--phrases") == 0) {
      phrases = argv[i + 1];
    } else {
      std::fprintf(stderr, "usage: %s [--port N] [--phrases FILE]\n", argv[0]);
      return 2;
    }
  }
  translation_server::PhraseTable table;
  if (!translation_server::LoadPhraseTable(phrases, &table)) {
    std::fprintf(stderr, "cannot read the phrase table %s\n", phrases.c_str());
    return 1;
  }
  translation_server::HttpListener listener(
      [&table](translation_server::Connection& connection,
               const translation_server::RequestHead& request) {
        connection.Send(translation_server::TranslationReply(table, request));
      });
  if (port < 0 || port > 65535 || !listener.Start(static_cast<uint16_t>(port))) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::signal(SIGINT, [](int) { g_stop = 1; });
  std::signal(SIGTERM, [](int) { g_stop = 1; });
  std::printf("translating on http://127.0.0.1:%u (%zu phrases)\n", listener.Port(),
              table.chineseToEnglish.size());
  std::fflush(stdout);
  while (g_stop == 0) pause();
  return 0;
}
