// Answers the translation request the way the online service does: a GET of
// /v2/Http.svc/Translate?appId=...&text=...&from=...&to=... is answered with one XML
// `string` element holding the translation. Translations come from a phrase table
// (Chinese, a tab, English, one pair a line, UTF-8); a text the table does not know comes
// back unchanged.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "tools/translation_server/HttpListener.h"

namespace translation_server {

inline constexpr std::string_view kTranslatePath = "/v2/Http.svc/Translate";
inline constexpr std::string_view kSerializationNamespace =
    "http://schemas.microsoft.com/2003/10/Serialization/";

struct PhraseTable {
  std::map<std::string, std::string> chineseToEnglish;
  std::map<std::string, std::string> englishToChinese;
};

// False when the file cannot be read; lines without a tab are skipped.
bool LoadPhraseTable(const std::string& path, PhraseTable* table);
void AddPhrase(PhraseTable* table, const std::string& chinese, const std::string& english);

// %XX sequences decoded, '+' kept as it is (the client escapes every byte).
std::string PercentDecode(std::string_view text);
// The decoded value of key in a query text ("a=1&b=2"), or empty.
std::string QueryValue(std::string_view query, std::string_view key);

// The whole HTTP reply for one request.
std::string TranslationReply(const PhraseTable& table, const RequestHead& request);

// The reply's XML body for a translated text.
std::string StringElement(std::string_view text);

}  // namespace translation_server
