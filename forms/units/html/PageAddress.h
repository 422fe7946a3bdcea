// Page addresses: what a typed address means, resolving a link against its page, and which
// loads a page may start. A page from the network never reaches local files (a link, an
// image or a redirect to file: is refused); only a local page may.
#pragma once

#include <string>
#include <string_view>

namespace forms::html {

// An address as the user or the program gives it (UTF-8): kept when it has a scheme, an
// absolute path becomes a file: address, anything else is taken as a web host.
std::string NormalizeAddress(std::string_view address);
// `reference` read against `base`; `reference` itself when it is absolute or `base` is empty.
std::string ResolveAddress(std::string_view base, std::string_view reference);
// The scheme in lower case, without the colon; empty when there is none.
std::string SchemeOf(std::string_view address);
bool IsLoadableScheme(std::string_view scheme);
// Whether a page at `page` may load or open `target`.
bool MayReach(std::string_view page, std::string_view target);
// A local path for a file: address (percent escapes decoded), or empty for another address.
std::string LocalPathOf(std::string_view address);

}  // namespace forms::html
