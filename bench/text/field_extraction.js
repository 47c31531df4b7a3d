#!/usr/bin/env node
// The Node.js side of the text benchmarks: the same work as bench_text does with RegExp,
// run by V8's RegExp, timed here and reported as JSON on stdout.
//
//   node field_extraction.js extract <page.html> <patterns.json> <iterations> <references.json>
//   node field_extraction.js striptag <fragment.html> <iterations>
//   node field_extraction.js test <pattern> <subject.txt> <iterations>   (one Test call)
//
// Patterns are written in the scripts' dialect; they are given to V8 with the two
// differences of that dialect spelled out ("." excludes only LF, "\s" is the six ASCII
// blanks), so that both engines do the same matching.
'use strict';
const fs = require('fs');

function toNodeSyntax(pattern) {
    let out = '';
    let inClass = false;
    for (let i = 0; i < pattern.length; ++i) {
        const c = pattern[i];
        if (c === '\\' && i + 1 < pattern.length) {
            const e = pattern[++i];
            if (e === 's') out += inClass ? ' \\t\\n\\v\\f\\r' : '[ \\t\\n\\v\\f\\r]';
            else if (e === 'S') out += inClass ? '\\0-\\x08\\x0E-\\x1F\\x21-\\uFFFF' : '[^ \\t\\n\\v\\f\\r]';
            else out += '\\' + e;
        } else if (inClass) {
            if (c === ']') inClass = false;
            out += c;
        } else if (c === '[') {
            inClass = true;
            out += c;
        } else if (c === '.') {
            out += '[^\\n]';
        } else if (c === '^') {
            out += '(?<![^\\n\\r])'; // multi-line "^": after LF or CR only
        } else if (c === '$') {
            out += '(?![^\\n\\r])';
        } else {
            out += c;
        }
    }
    return out;
}

const entities = [['&agrave;', '\u00e0'], ['&acirc;', '\u00e2'], ['&ccedil;', '\u00e7'], ['&eacute;', '\u00e9'],
                  ['&egrave;', '\u00e8'], ['&ecirc;', '\u00ea'], ['&euml;', '\u00eb'], ['&icirc;', '\u00ee'],
                  ['&iuml;', '\u00ef'], ['&ocirc;', '\u00f4'], ['&ugrave;', '\u00f9']];
const scriptRe = new RegExp(toNodeSyntax('<script([\\s\\S]*?)</script>'), 'gim');
const blockTagRe = new RegExp(toNodeSyntax('</?(?:br|p|div|li|tr|td|th|h[1-6])\\b.*?>'), 'gim');
const tagRe = new RegExp(toNodeSyntax('<(.*?)>'), 'gim');
const spaceRe = new RegExp(toNodeSyntax('\\s+'), 'gim');

function stripTag(s) {
    s = s.replace(scriptRe, '');
    s = s.replace(blockTagRe, ' ');
    s = s.replace(tagRe, '');
    s = s.replaceAll('&nbsp;', ' ');
    s = s.replace(spaceRe, ' ');
    for (const [e, c] of entities) s = s.replaceAll(e, c);
    let b = 0, e = s.length;
    while (b < e && s[b] === ' ') ++b;
    while (e > b && s[e - 1] === ' ') --e;
    return s.slice(b, e);
}

// HTML character references as bench_text decodes them after stripTag (the browser's rules:
// longest name, the old names without ";", 128-159 as windows-1252, invalid numbers kept).
// references: Python's html.entities.html5, the list bench_text's table is made from.
let references = {};
const windows1252 = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039, 0x152, 0x8D,
                     0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x2DC, 0x2122, 0x161, 0x203A,
                     0x153, 0x9D, 0x17E, 0x178];
const isAlnum = (c) => (c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122);

function numericReference(s, i) { // i: just after "&#"
    const hex = s[i] === 'x' || s[i] === 'X';
    let at = hex ? i + 1 : i;
    const from = at;
    let code = 0;
    for (; at < s.length; ++at) {
        const d = parseInt(s[at], hex ? 16 : 10);
        if (Number.isNaN(d)) break;
        code = Math.min(code * (hex ? 16 : 10) + d, 0x110000);
    }
    if (at === from || code === 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return null;
    if (s[at] === ';') ++at;
    if (code >= 0x80 && code <= 0x9F) code = windows1252[code - 0x80];
    return { text: String.fromCodePoint(code), length: at - i };
}

function namedReference(s, i) { // i: just after "&"
    let run = 0;
    while (i + run < s.length && run < 32 && isAlnum(s.charCodeAt(i + run))) ++run;
    if (run === 0) return null;
    if (s[i + run] === ';') {
        const text = references[s.substr(i, run + 1)];
        if (text !== undefined) return { text, length: run + 1 };
    }
    for (let length = Math.min(run, 6); length >= 2; --length) {
        const text = references[s.substr(i, length)];
        if (text !== undefined) return { text, length };
    }
    return null;
}

function decodeReferences(s) {
    let at = s.indexOf('&');
    if (at < 0) return s;
    let out = '';
    let copied = 0;
    for (; at >= 0; at = s.indexOf('&', at)) {
        out += s.slice(copied, at);
        let taken = 0;
        if (s[at + 1] === '#') {
            const r = numericReference(s, at + 2);
            if (r) { out += r.text; taken = 1 + r.length; }
        } else {
            const r = namedReference(s, at + 1);
            if (r) { out += r.text; taken = r.length; }
        }
        if (taken === 0) out += '&';
        at += 1 + taken;
        copied = at;
    }
    return out + s.slice(copied);
}

function extract(page, patterns) {
    const values = [];
    for (const p of patterns) {
        const re = new RegExp(toNodeSyntax(p), 'gim'); // a new object per detail step
        if (!re.test(page)) { values.push(null); continue; }
        re.lastIndex = 0;
        const all = [];
        let m;
        while ((m = re.exec(page)) !== null) {
            all.push(m);
            if (m[0].length === 0) re.lastIndex++;
        }
        values.push(decodeReferences(stripTag(all[0][1] === undefined ? '' : all[0][1])));
    }
    return values;
}

function time(iterations, work) {
    let result;
    for (let i = 0; i < 3; ++i) result = work(); // warm-up: V8 tiers up and caches
    const start = process.hrtime.bigint();
    const cpuStart = process.cpuUsage();
    for (let i = 0; i < iterations; ++i) result = work();
    const cpu = process.cpuUsage(cpuStart);
    const ns = Number(process.hrtime.bigint() - start);
    // CPU time of the whole process (V8's helper threads included): stable on a busy machine.
    return { msPerIteration: ns / 1e6 / iterations, cpuMsPerIteration: (cpu.user + cpu.system) / 1e3 / iterations,
             result };
}

const [mode, ...args] = process.argv.slice(2);
if (mode === 'extract') {
    const page = fs.readFileSync(args[0], 'utf8');
    const patterns = JSON.parse(fs.readFileSync(args[1], 'utf8'));
    references = JSON.parse(fs.readFileSync(args[3], 'utf8'));
    const { msPerIteration, cpuMsPerIteration, result } = time(Number(args[2]), () => extract(page, patterns));
    process.stdout.write(JSON.stringify({ msPerIteration, cpuMsPerIteration, values: result }));
} else if (mode === 'striptag') {
    const fragment = fs.readFileSync(args[0], 'utf8');
    const { msPerIteration, cpuMsPerIteration, result } = time(Number(args[1]), () => stripTag(fragment));
    let hash = 0;
    for (let i = 0; i < result.length; ++i) hash = (Math.imul(hash, 31) + result.charCodeAt(i)) >>> 0;
    process.stdout.write(JSON.stringify({ msPerIteration, cpuMsPerIteration, length: result.length, hash }));
} else if (mode === 'test') {
    const re = new RegExp(toNodeSyntax(args[0]), 'im');
    const subject = fs.readFileSync(args[1], 'utf8');
    const { msPerIteration, cpuMsPerIteration, result } = time(Number(args[2]), () => re.test(subject));
    process.stdout.write(JSON.stringify({ msPerIteration, cpuMsPerIteration, found: result }));
} else {
    process.stderr.write('usage: field_extraction.js extract|striptag|test ...\n');
    process.exit(2);
}
