// The caption window's English line: the text is sent to the online translation service
// through the platform's HTTP request object and the translation cut out of the XML reply.
// Every text in and out is GBK; results are fresh runtime texts (null for the empty text)
// that the caller frees with FreeMem. Nothing is reported: any failure gives the empty text.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// The service's application id.
inline constexpr const char kTranslatorAppId[] = "C0FFEE0123456789ABCDEF0123456789ABCD5EED";
inline constexpr const char kTranslatorPath[] = "/v2/Http.svc/Translate";
inline constexpr const char kDefaultTranslatorUrl[] = "http://127.0.0.1:8750";

// text, pair number -> translation. Pairs without a query text give the empty text without
// making an object or a request.
char* Translate(const char* text, int32_t pair);

// The query tail of a language pair ("from=zh-CHS&to=en" for 2), or null.
const char* PairQuery(int32_t pair);

// Every byte of the text's UTF-8 form as %XX (upper-case digits).
char* Utf8Escape(const char* text);

// The text between the first opening marker and the closing marker after it; empty when
// either is missing.
char* TextBetween(const char* text, const char* open, const char* close);

// Scheme, host and port of the service: VELMORA_TRANSLATOR_URL, or the local default.
std::string TranslatorEndpoint();

}  // namespace app
