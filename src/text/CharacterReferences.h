// HTML character references as a browser reads them: "&amp;", "&eacute;", "&#039;",
// "&#x2019;", and the old names a browser still takes without their ";" ("&copy 2020").
#pragma once

#include <QString>
#include <QStringView>

namespace trouvel::text {

enum class ReferenceContext {
    Text,      // page text: an old name without ";" is read whatever follows it
    Attribute, // an address out of an attribute: not before "=" or a letter or digit ("?a=1&copy=2")
};

// Every reference of `text` replaced by the characters it stands for, in one pass ("&amp;lt;"
// is "&lt;"). A name is matched as the longest one the HTML list holds; a number in 128-159
// stands for the windows-1252 character, as browsers read it. Unknown names and numbers that
// name no character (0, surrogates, past U+10FFFF) stay as written.
QString decodeCharacterReferences(QStringView text, ReferenceContext context = ReferenceContext::Text);

} // namespace trouvel::text
