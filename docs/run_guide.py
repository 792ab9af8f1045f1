#!/usr/bin/python3
"""Runs the code of the guide's pages, so that the guide cannot drift from the library.

    run_guide.py --source SRC --build BUILD --cxx COMPILER --library LIB --qrtz QRTZ PAGE.rst...

Each page runs in a fresh folder holding a copy of examples/, with its own settings store and
clipboard. Its blocks run in order:
  cpp      compiled as a program against the library's headers and LIB, then run
  sh       run by bash with qrtz on PATH (set -euo pipefail)
  python   run by /usr/bin/python3
A block with a file name as its caption is written to that file instead of being run. A text
block captioned "Output" after a block that ran must equal what that block printed; with
--fill, Output blocks that hold only "PLACEHOLDER" are written from the run instead.
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

DIRECTIVE = re.compile(r'^\.\. code-block::\s*(\S+)\s*$')
OPTION = re.compile(r'^\s+:(\w+):\s*(.*)$')


def blocks(text):
    """(language, caption, code, line) for each code block of an rst page."""
    lines = text.split('\n')
    i = 0
    while i < len(lines):
        m = DIRECTIVE.match(lines[i])
        if not m:
            i += 1
            continue
        start, options = i + 1, {}
        i += 1
        while i < len(lines) and OPTION.match(lines[i]):
            key, value = OPTION.match(lines[i]).groups()
            options[key] = value
            i += 1
        body = []
        while i < len(lines) and (not lines[i].strip() or lines[i].startswith('   ')):
            body.append(lines[i][3:])
            i += 1
        while body and not body[-1].strip():
            body.pop()
        while body and not body[0].strip():
            body.pop(0)
        yield m.group(1), options.get('caption', ''), '\n'.join(body) + '\n', start


class Page:
    def __init__(self, args, page, work):
        self.args, self.page, self.work = args, page, work
        self.env = dict(os.environ)
        self.env.update({
            'PATH': f'{pathlib.Path(args.qrtz).parent}:{self.env["PATH"]}',
            'HOME': str(work / 'home'), 'XDG_CONFIG_HOME': str(work / 'config'),
            'QRTZ_REGISTRY': str(work / 'registry'), 'QRTZ_CLIPBOARD': str(work / 'clipboard'),
            'QRTZ_SYSTEM_DIR': str(pathlib.Path(args.source) / 'data' / 'system'),
            'QRTZ_PREFIX': str(work / 'prefix'), 'QRTZ_BUILD_DIR': str(args.build),
            'PYTHONPATH': str(pathlib.Path(args.build) / 'python'),
        })
        (work / 'home').mkdir()
        self.programs = 0

    def run(self, argv, where):
        done = subprocess.run(argv, cwd=self.work, env=self.env, capture_output=True, text=True,
                              timeout=600)
        if done.returncode != 0:
            raise RuntimeError(f'{where}: {argv[0]} exited with {done.returncode}\n'
                               f'{done.stdout}{done.stderr}')
        return done.stdout

    def cpp(self, code, where):
        self.programs += 1
        source = self.work / f'example{self.programs}.cpp'
        source.write_text(code)
        exe = self.work / f'example{self.programs}'
        lib = pathlib.Path(self.args.library)
        self.run([self.args.cxx, '-std=c++20', '-Wall', '-Werror', '-I',
                  str(pathlib.Path(self.args.source) / 'include'), str(source), str(lib),
                  f'-Wl,-rpath,{lib.parent}', '-o', str(exe)], where)
        return self.run([str(exe)], where)

    def sh(self, code, where):
        if '$QRTZ_PREFIX' in code and not (self.work / 'prefix').exists():
            self.run(['cmake', '--install', str(self.args.build), '--prefix',
                      str(self.work / 'prefix')], where)
        return self.run(['bash', '-euo', 'pipefail', '-c', code], where)

    def python(self, code, where):
        return self.run(['/usr/bin/python3', '-c', code], where)


def run_page(args, page):
    ran = 0
    with tempfile.TemporaryDirectory(prefix='qrtz-guide-') as tmp:
        work = pathlib.Path(tmp)
        for example in (pathlib.Path(args.source) / 'examples').iterdir():
            shutil.copy(example, work)
        runner = Page(args, page, work)
        output = None
        for language, caption, code, line in blocks(page.read_text()):
            where = f'{page.name}:{line}'
            if caption and '.' in caption and ' ' not in caption:
                (work / caption).write_text(code)
            elif language in ('cpp', 'sh', 'python'):
                output = getattr(runner, language)(code, where)
                ran += 1
            elif language == 'text' and caption == 'Output':
                if output is None:
                    raise RuntimeError(f'{where}: an Output block follows no block that ran')
                got = '\n'.join(l.rstrip() for l in output.rstrip().split('\n'))
                want = '\n'.join(l.rstrip() for l in code.rstrip().split('\n'))
                if args.fill and want == 'PLACEHOLDER':
                    text = page.read_text()
                    indented = '\n'.join(('   ' + l).rstrip() for l in got.split('\n'))
                    page.write_text(text.replace('   PLACEHOLDER', indented, 1))
                elif got != want:
                    raise RuntimeError(f'{where}: the output differs\n--- page\n{want}\n'
                                       f'--- run\n{got}')
                output = None
    return ran


def main():
    parser = argparse.ArgumentParser()
    for option in ('source', 'build', 'cxx', 'library', 'qrtz'):
        parser.add_argument('--' + option, required=True)
    parser.add_argument('--fill', action='store_true')
    parser.add_argument('pages', nargs='+', type=pathlib.Path)
    args = parser.parse_args()
    for option in ('source', 'build', 'library', 'qrtz'):
        setattr(args, option, str(pathlib.Path(getattr(args, option)).resolve()))
    failed = 0
    for page in args.pages:
        try:
            print(f'{page.name}: {run_page(args, page)} blocks ran')
        except (RuntimeError, subprocess.TimeoutExpired) as error:
            failed += 1
            print(f'FAILED {error}', file=sys.stderr)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
