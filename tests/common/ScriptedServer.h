// Servers on 127.0.0.1 that answer the way a test script says at the moment a request
// arrives: a reply with a given body, a server error, a flood, a trickle of one byte a
// second, or silence. The trickle and the silence last until the client gives up or the
// listener stops, so only the client's time-outs can end them. And a port that refuses.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tools/translation_server/HttpListener.h"

namespace scripted_server {

enum class Behaviour { kBody, kServerError, kFlood, kDrip, kSilent };

struct Script {
  Behaviour behaviour = Behaviour::kBody;
  std::string contentType = "application/xml";
  std::string body;
  size_t floodBytes = 0;  // sent in 1 MiB pieces, the end marked by closing the connection
};

inline translation_server::Handler Scripted(const Script* script) {
  using namespace std::chrono_literals;
  return [script](translation_server::Connection& c, const translation_server::RequestHead&) {
    switch (script->behaviour) {
      case Behaviour::kBody:
        c.Send(translation_server::Reply(200, "OK", script->contentType, script->body));
        break;
      case Behaviour::kServerError:
        c.Send(translation_server::Reply(500, "Internal Server Error", "text/plain", "failed"));
        break;
      case Behaviour::kFlood: {
        if (!c.Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n")) return;
        std::string piece(1 << 20, 'x');
        for (size_t sent = 0; sent < script->floodBytes && c.Send(piece); sent += piece.size()) {
        }
        break;
      }
      case Behaviour::kDrip:
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        while (c.Send("x") && !c.WaitForClose(1s)) {
        }
        break;
      case Behaviour::kSilent:
        c.WaitForClose(1h);
        break;
    }
  };
}

// A port nothing listens on: bound, then closed again.
inline uint16_t RefusingPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
  close(s);
  return ntohs(a.sin_port);
}

}  // namespace scripted_server
