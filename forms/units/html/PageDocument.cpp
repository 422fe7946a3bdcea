#include "forms/units/html/PageDocument.h"

#include "forms/units/html/MasterStyleSheet.h"

namespace forms::html {

namespace {

litehtml::context* SharedContext() {
  // Parsing the master sheet costs more than a small page; every viewer shares the result.
  static litehtml::context* context = [] {
    auto* c = new litehtml::context;
    c->load_master_stylesheet(MasterStyleSheet());
    return c;
  }();
  return context;
}

}  // namespace

litehtml::document::ptr ParsePage(const std::string& utf8, PageCanvas* canvas) {
  return litehtml::document::createFromUTF8(utf8.c_str(), canvas, SharedContext());
}

}  // namespace forms::html
