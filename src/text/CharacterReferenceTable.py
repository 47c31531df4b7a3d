#!/usr/bin/env python3
"""Writes the HTML named character references (Python's html.entities.html5, the WHATWG
list) as a sorted C++ table: name without the '&' (with its ';' where the name has one) and
the UTF-16 text it stands for."""
import html.entities
import sys


def utf16(text):
    units = []
    for ch in text:
        code = ord(ch)
        if code > 0xFFFF:
            code -= 0x10000
            units += [0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF)]
        else:
            units.append(code)
    return ''.join('\\x%04X' % unit for unit in units)


def main(out):
    names = sorted(html.entities.html5)
    with open(out, 'w', encoding='ascii') as f:
        f.write('// Written at build time by CharacterReferenceTable.py from html.entities.html5.\n')
        f.write('constexpr int kNamedReferenceCount = %d;\n' % len(names))
        f.write('constexpr NamedReference kNamedReferences[kNamedReferenceCount] = {\n')
        for name in names:
            f.write('    {"%s", u"%s"},\n' % (name, utf16(html.entities.html5[name])))
        f.write('};\n')


if __name__ == '__main__':
    main(sys.argv[1])
