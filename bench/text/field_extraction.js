#!/usr/bin/env node
// The Node.js side of the text benchmarks: the same work as bench_text does with RegExp,
// run by V8's RegExp, timed here and reported as JSON on stdout.
//
//   node field_extraction.js extract <page.html> <patterns.json> <iterations>
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
        values.push(stripTag(all[0][1] === undefined ? '' : all[0][1]));
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
