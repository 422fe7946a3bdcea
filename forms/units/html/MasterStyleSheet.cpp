#include "forms/units/html/MasterStyleSheet.h"

namespace forms::html {

const char* MasterStyleSheet() {
  return R"css(
html { display: block; background-color: #ffffff; color: #000000; }
head, script, style, title, meta, link, base, noscript, template { display: none; }
body { display: block; margin: 8px; line-height: 1.2; }

address, article, aside, blockquote, center, dd, details, dialog, dir, div, dl, dt,
fieldset, figcaption, figure, footer, form, header, hgroup, hr, legend, main, menu, nav,
ol, p, pre, section, summary, ul { display: block; }

h1 { display: block; font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold; }
h2 { display: block; font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold; }
h3 { display: block; font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { display: block; margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { display: block; font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { display: block; font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }

p, dl, menu, dir { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin: 1em 40px; }
dd { margin-left: 40px; }
center { text-align: center; }
hr { border-style: inset; border-width: 1px; border-color: #a0a0a0; margin: 0.5em auto; }
pre, xmp, listing, plaintext { display: block; white-space: pre; margin-top: 1em; margin-bottom: 1em; font-family: monospace; }

ul, ol { margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; margin-top: 0; margin-bottom: 0; }
ul ul ul, ol ul ul, ul ol ul { list-style-type: square; }
ol ol, ul ol { margin-top: 0; margin-bottom: 0; }
li { display: list-item; }

table { display: table; border-collapse: separate; border-spacing: 2px; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { font-weight: bold; text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
table[border] td, table[border] th { border: 1px solid #808080; }
table[border] { border: 1px solid #808080; }

b, strong { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
code, kbd, samp, tt { font-family: monospace; }
big { font-size: 1.17em; }
small { font-size: 0.83em; }
sub { vertical-align: sub; font-size: 0.83em; }
sup { vertical-align: super; font-size: 0.83em; }
mark { background-color: #ffff00; color: #000000; }
abbr[title] { text-decoration: underline; }

a[href] { color: #0000ee; text-decoration: underline; }

img { display: inline-block; }
br { display: block; }
input, select, textarea, button { display: inline-block; border: 1px solid #808080; }
)css";
}

}  // namespace forms::html
