#include "tools/translation_server/TranslationService.h"

#include <fstream>

namespace translation_server {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string Lookup(const std::map<std::string, std::string>& table, const std::string& text) {
  auto found = table.find(text);
  return found == table.end() ? text : found->second;
}

}  // namespace

void AddPhrase(PhraseTable* table, const std::string& chinese, const std::string& english) {
  table->chineseToEnglish[chinese] = english;
  table->englishToChinese[english] = chinese;
}

bool LoadPhraseTable(const std::string& path, PhraseTable* table) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t tab = line.find('\t');
    if (tab == std::string::npos || line[0] == '#') continue;
    AddPhrase(table, line.substr(0, tab), line.substr(tab + 1));
  }
  return true;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string QueryValue(std::string_view query, std::string_view key) {
  size_t at = 0;
  while (at <= query.size()) {
    size_t end = query.find('&', at);
    if (end == std::string_view::npos) end = query.size();
    std::string_view pair = query.substr(at, end - at);
    size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == key) {
      return PercentDecode(pair.substr(equals + 1));
    }
    at = end + 1;
  }
  return {};
}

std::string StringElement(std::string_view text) {
  return "<string xmlns=\"" + std::string(kSerializationNamespace) + "\">" + EscapeXml(text) +
         "</string>";
}

std::string TranslationReply(const PhraseTable& table, const RequestHead& request) {
  std::string_view target = request.target;
  size_t question = target.find('?');
  std::string_view path = target.substr(0, question);
  std::string_view query = question == std::string_view::npos ? "" : target.substr(question + 1);
  if (request.method != "GET" || path != kTranslatePath) {
    return Reply(404, "Not Found", "text/plain", "no such service\n");
  }
  if (QueryValue(query, "appId").empty()) {
    return Reply(400, "Bad Request", "text/plain", "appId is missing\n");
  }
  std::string text = QueryValue(query, "text");
  std::string from = QueryValue(query, "from");
  std::string to = QueryValue(query, "to");
  std::string translated = text;
  if (to == "en" && (from == "zh-CHS" || from.empty())) {
    translated = Lookup(table.chineseToEnglish, text);
  } else if (to == "zh-CHS" && (from == "en" || from.empty())) {
    translated = Lookup(table.englishToChinese, text);
  }
  return Reply(200, "OK", "application/xml; charset=utf-8", StringElement(translated));
}

}  // namespace translation_server
