#pragma once

#include <QString>
#include <QStringView>

namespace mail {

// The text of an HTML body, as a person would read it, without ever interpreting the HTML:
// tags are dropped (block elements and <br> end a line, list items start one with "・"),
// the contents of <script>, <style>, <head>, <title> and comments are dropped, character
// references are decoded (&amp;, &#12354;, &#x3042; and the common names), runs of blanks
// become one space. Nothing the markup names (images, links, styles) is ever looked at, so
// turning a body into text cannot fetch or load anything. Linear in the length of html; the
// result holds at most limit characters.
QString htmlToText(QStringView html, qsizetype limit);

} // namespace mail
