#include "forms/units/html/PageAddress.h"

#include <cctype>
#include <vector>

namespace forms::html {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Bytes that an address may not carry as they are.
std::string EscapePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : path) {
    auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || c == '%' || c == '#' || c == '?') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

struct Parts {
  std::string scheme;     // with its colon
  std::string authority;  // with its two slashes, or empty
  std::string path;
  std::string query;  // with its question mark
};

Parts Split(std::string_view address) {
  Parts p;
  std::string scheme = SchemeOf(address);
  if (!scheme.empty()) {
    p.scheme = std::string(address.substr(0, scheme.size() + 1));
    address.remove_prefix(scheme.size() + 1);
  }
  address = address.substr(0, address.find('#'));
  if (address.substr(0, 2) == "//") {
    size_t end = address.find_first_of("/?", 2);
    p.authority = std::string(address.substr(0, end));
    address = end == std::string_view::npos ? std::string_view() : address.substr(end);
  }
  size_t q = address.find('?');
  p.path = std::string(address.substr(0, q));
  if (q != std::string_view::npos) p.query = std::string(address.substr(q));
  return p;
}

// "." and ".." segments taken out of an absolute path.
std::string RemoveDots(const std::string& path) {
  std::vector<std::string> segments;
  size_t at = 0;
  const bool directory = path.ends_with("/.") || path.ends_with("/..") || path.ends_with("/");
  while (at <= path.size()) {
    size_t slash = path.find('/', at);
    std::string segment = path.substr(at, slash == std::string::npos ? slash : slash - at);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    if (slash == std::string::npos) break;
    at = slash + 1;
  }
  std::string out;
  for (const std::string& s : segments) out += "/" + s;
  if (directory || out.empty()) out += "/";
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string SchemeOf(std::string_view address) {
  address = Trim(address);
  size_t colon = address.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  std::string scheme;
  for (size_t i = 0; i < colon; ++i) {
    auto c = static_cast<unsigned char>(address[i]);
    bool ok = std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
    if (!ok) return {};
    scheme += static_cast<char>(std::tolower(c));
  }
  return scheme;
}

bool IsLoadableScheme(std::string_view scheme) {
  return scheme == "http" || scheme == "https" || scheme == "file";
}

std::string NormalizeAddress(std::string_view address) {
  address = Trim(address);
  if (address.empty()) return {};
  if (address.front() == '/') return "file://" + EscapePath(address);
  // One letter before the colon is a drive, not a scheme.
  std::string scheme = SchemeOf(address);
  if (scheme.size() > 1) return std::string(address);
  return "http://" + std::string(address);
}

std::string ResolveAddress(std::string_view base, std::string_view reference) {
  reference = Trim(reference);
  if (base.empty() || !SchemeOf(reference).empty()) return std::string(reference);
  const Parts b = Split(base);
  if (reference.empty()) return b.scheme + b.authority + b.path + b.query;
  if (reference.front() == '#')
    return b.scheme + b.authority + b.path + b.query + std::string(reference);
  if (reference.substr(0, 2) == "//") return b.scheme + std::string(reference);
  std::string fragment;
  if (size_t hash = reference.find('#'); hash != std::string_view::npos) {
    fragment = std::string(reference.substr(hash));
    reference = reference.substr(0, hash);
  }
  std::string query;
  if (size_t q = reference.find('?'); q != std::string_view::npos) {
    query = std::string(reference.substr(q));
    reference = reference.substr(0, q);
  }
  std::string path;
  if (reference.empty()) {
    path = b.path;
    if (query.empty()) query = b.query;
  } else if (reference.front() == '/') {
    path = RemoveDots(std::string(reference));
  } else {
    std::string directory = b.path.substr(0, b.path.rfind('/') + 1);
    if (directory.empty()) directory = "/";
    path = RemoveDots(directory + std::string(reference));
  }
  return b.scheme + b.authority + path + query + fragment;
}

bool MayReach(std::string_view page, std::string_view target) {
  const std::string to = SchemeOf(target);
  if (!IsLoadableScheme(to)) return false;
  if (to != "file") return true;
  return page.empty() || SchemeOf(page) == "file";
}

std::string LocalPathOf(std::string_view address) {
  if (SchemeOf(address) != "file") return {};
  const std::string path = Split(Trim(address)).path;
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size() && HexValue(path[i + 1]) >= 0 &&
        HexValue(path[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
      i += 2;
    } else {
      out += path[i];
    }
  }
  return out;
}

}  // namespace forms::html
