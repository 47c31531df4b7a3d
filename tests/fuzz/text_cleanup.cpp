// stripTag, the character references, JSON escapes and stripFileName on any text.
#include "FuzzCheck.h"

#include "text/CharacterReferences.h"
#include "text/JsonText.h"
#include "text/RegExp.h"
#include "text/TextCleanup.h"
#include "text/TextCodec.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace trouvel::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QString text = decodeText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    // The window's expression object, as the steps configure it.
    static RegExp reg2;
    reg2.Global(true);
    reg2.IgnoreCase(true);
    reg2.Multiline(true);
    try {
        const QString clean = stripTag(reg2, text);
        check(!clean.startsWith(u' ') && !clean.endsWith(u' '), "stripTag left blanks at an end");
    } catch (const RegExpError&) {
        // A page fragment so large that a cleanup pattern gave up: reported to the step.
    }

    // Every reference is longer than what it stands for; a text without "&" is left as it is.
    for (const ReferenceContext context : {ReferenceContext::Text, ReferenceContext::Attribute}) {
        const QString decoded = decodeCharacterReferences(text, context);
        check(decoded.size() <= text.size(), "a reference decoded into more than it was");
        if (!text.contains(u'&'))
            check(decoded == text, "a text without references changed");
    }

    // Every JSON escape is longer than what it stands for.
    check(jsonUnescaped(text).size() <= text.size(), "a JSON escape read into more than it was");

    const QString name = stripFileName(text);
    for (const char16_t c : u"\\/:*?<>|") {
        if (c != 0)
            check(!name.contains(QChar(c)), "stripFileName left a character a file name cannot hold");
    }
    check(!name.startsWith(u' ') && !name.endsWith(u' '), "stripFileName left blanks at an end");
    return 0;
}
