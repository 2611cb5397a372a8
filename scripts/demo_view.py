#!/usr/bin/env python3
"""Shows the reference host's transcript (standard input) as a person reads it.

The transcript holds the plug-in's texts as Windows-1251 bytes and the script's
own lines (echo) as UTF-8; both reach the terminal in the terminal's encoding.
Each line is timed as it arrives; the whole transcript is kept in the file
given as the first argument.
"""
import re
import sys
import time

FIELD = re.compile(r'(\w+)=("(?:[^"\\]|\\.)*"|\S+)')


def unquote(value):
    if not value.startswith('"'):
        return value
    return re.sub(r'\\x([0-9A-F]{2})|\\(.)',
                  lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2),
                  value[1:-1])


def readable(line):
    """The line as the demo shows it, or None for the host's bookkeeping."""
    verb, _, rest = line.partition(' ')
    fields = {k: unquote(v) for k, v in FIELD.findall(rest)}
    if verb == 'echo':
        return rest
    if verb == 'event':
        text = fields.get('text0', '')
        return '  %-22s %s' % (fields.get('kind', '?'), text.replace('\n', ' / '))
    if verb == 'send':
        return '> host sends %s' % fields.get('command', '?')
    if verb == 'open':
        return '> host opens the plug-in: "%s"' % fields.get('title', '')
    if verb == 'box':
        return '  message box: %s' % fields.get('text', '').strip()
    if verb in ('reply', 'done', 'unload'):
        return None
    if verb == 'setup':
        return '> host shows the preferences window (Setup)'
    if verb == 'close':
        return '> host closes the plug-in'
    if verb == 'click':
        return '> the user clicks the window at %s' % rest
    if verb == 'screenshot':
        return "  the window's picture is taken (%s)" % rest
    return line


def main():
    keep = open(sys.argv[1], 'wb') if len(sys.argv) > 1 else None
    out = sys.stdout
    for raw in sys.stdin.buffer:
        if keep:
            keep.write(raw)
            keep.flush()
        raw = raw.rstrip(b'\r\n')
        echo = raw.startswith(b'echo ')
        line = raw.decode('utf-8' if echo else 'cp1251', errors='replace')
        shown = readable(line)
        if shown is None:
            continue
        # A terminal that cannot show a letter gets a question mark, not a crash.
        text = '%s %s\n' % (time.strftime('%H:%M:%S'), shown)
        out.buffer.write(text.encode(out.encoding or 'utf-8', errors='replace'))
        out.flush()


if __name__ == '__main__':
    main()
