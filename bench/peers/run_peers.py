#!/usr/bin/env python3
"""Runs one query mix against our engine and the peers a user might pick
instead, checks that all find the same pages and prints a Markdown table.

  run_peers.py --source SOURCE.jsonl --corpus CORPUS_DIR --work WORK_DIR
               --bin BUILD_BIN [--queries FILE] [--runs N] [--rg-runs N]
               [--engines ours,sqlite,groonga,rg]

Peers, built once into WORK_DIR from a punctuation-free copy of the text
(peer_text: one line per page, only the characters our index numbers, so that
a phrase means the same everywhere; page n is line n + 1 and rowid/_key n):
- SQLite FTS5 with the trigram tokenizer (python's sqlite3 module, timed
  in-process);
- Groonga with TokenBigram and no normaliser (one `groonga DB` process fed
  on stdin; the time is the elapsed time Groonga reports per command);
- ripgrep brute force with PCRE2 (-P), timed as whole processes.
Our engine is timed by ours_query (in-process, hit counting on, variants
off, whole text).
"""
import argparse
import json
import os
import re
import sqlite3
import statistics
import subprocess
import sys
import time

WILD = {'*', '?', '\uFF1F'}


def indexed(ch):
    cp = ord(ch)
    return (0x3400 <= cp <= 0x9FFF or 0xF900 <= cp <= 0xFAFF or 0x20000 <= cp <= 0x2A6DF
            or 0x2F800 <= cp <= 0x2FA1F or 0x3042 <= cp <= 0x30F6 or 0xE000 <= cp <= 0xFFFF)


class Term:
    """One search term as our engine matches it: cursors (character, t) where
    t counts the characters and question marks before it; between
    consecutive cursors s and n the positions differ by exactly t_n - t_s, or
    by t_n - t_s .. t_n - t_s + 300 when an asterisk lies between them.
    Question marks before the first or after the last cursor ask for
    nothing."""

    def __init__(self, text):
        self.cursors = []  # (char, t, star_before)
        t = 0
        star = False
        for ch in text:
            if ch == '*':
                star = True
            elif ch in ('?', '\uFF1F'):
                t += 1
            elif indexed(ch):
                self.cursors.append((ch, t, star and bool(self.cursors)))
                star = False
                t += 1

    def gaps(self):
        """(char, min_between, max_between) for every cursor after the first."""
        out = []
        for (_, ts, _), (ch, tn, star) in zip(self.cursors, self.cursors[1:]):
            d = tn - ts - 1
            out.append((ch, d, d + 300 if star else d))
        return out

    def regex(self):
        r = re.escape(self.cursors[0][0])
        for ch, lo, hi in self.gaps():
            if hi == lo:
                r += '.' * lo if lo <= 3 else '.{%d}' % lo
            else:
                r += '.{%d,%d}' % (lo, hi)
            r += re.escape(ch)
        return r

    def fixed_parts(self):
        """The literal runs: characters at consecutive positions."""
        parts = [self.cursors[0][0]]
        for ch, lo, hi in self.gaps():
            if lo == 0 and hi == 0:
                parts[-1] += ch
            else:
                parts.append(ch)
        return parts

    def has_star(self):
        return any(hi != lo for _, lo, hi in self.gaps())

    def like(self):
        p = '%' + self.cursors[0][0]
        for ch, lo, hi in self.gaps():
            p += '_' * lo + ('%' if hi != lo else '') + ch
        return p + '%'


def split_terms(keywords):
    return [Term(t) for t in keywords.replace('\u3000', ' ').split(' ') if t]


# --- building the peers ---------------------------------------------------

def build_sqlite(pages_path, db_path):
    if os.path.exists(db_path):
        return None
    tmp = db_path + '.tmp'
    if os.path.exists(tmp):
        os.remove(tmp)
    start = time.time()
    db = sqlite3.connect(tmp)
    db.execute("CREATE VIRTUAL TABLE pages USING fts5(body, tokenize='trigram')")
    with open(pages_path, encoding='utf-8') as f:
        db.executemany('INSERT INTO pages(rowid, body) VALUES (?, ?)',
                       ((n, line.rstrip('\n')) for n, line in enumerate(f)))
    db.commit()
    db.close()
    os.rename(tmp, db_path)
    return time.time() - start


def groonga_start(db_path, create):
    args = ['groonga'] + (['-n'] if create else []) + [db_path]
    return subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                            encoding='utf-8', bufsize=1)


def groonga_send(proc, command):
    proc.stdin.write(command + '\n')
    proc.stdin.flush()
    return json.loads(proc.stdout.readline())


def build_groonga(pages_path, db_dir):
    db_path = os.path.join(db_dir, 'db')
    if os.path.exists(os.path.join(db_dir, 'complete')):
        return None
    subprocess.run(['rm', '-rf', db_dir], check=True)
    os.makedirs(db_dir)
    start = time.time()
    g = groonga_start(db_path, True)
    for cmd in ('table_create Pages TABLE_HASH_KEY UInt32',
                'column_create Pages body COLUMN_SCALAR LongText',
                'table_create Terms TABLE_PAT_KEY ShortText --default_tokenizer TokenBigram',
                'column_create Terms idx COLUMN_INDEX|WITH_POSITION Pages body'):
        groonga_send(g, cmd)
    with open(pages_path, encoding='utf-8') as f:
        batch = []
        n = 0

        def flush():
            g.stdin.write('load --table Pages\n' + json.dumps(batch, ensure_ascii=False) + '\n')
            g.stdin.flush()
            json.loads(g.stdout.readline())

        for line in f:
            batch.append({'_key': n, 'body': line.rstrip('\n')})
            n += 1
            if len(batch) == 5000:
                flush()
                batch = []
        if batch:
            flush()
    g.stdin.close()
    g.wait()
    open(os.path.join(db_dir, 'complete'), 'w').close()
    return time.time() - start


def dir_size(path):
    if os.path.isfile(path):
        return os.path.getsize(path)
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(path) for f in fs)


# --- translating a query for each peer ------------------------------------

def sqlite_sql(terms, or_mode):
    """SQL for the query, and notes on how it was expressed."""
    conds = []
    notes = []
    subquery = or_mode or len(terms) > 1
    for term in terms:
        if not term.cursors:
            conds.append('0')
            continue
        parts = term.fixed_parts()
        if len(parts) == 1 and len(parts[0]) >= 3:
            cond = "rowid IN (SELECT rowid FROM pages('\"%s\"'))" % parts[0] if subquery \
                else "pages MATCH '\"%s\"'" % parts[0]
            notes.append('MATCH')
        else:
            # Through the trigram index LIKE silently finds nothing when a
            # fixed part is shorter than three characters: force a scan.
            use_index = all(len(p) >= 3 for p in parts)
            cond = ("body LIKE '%s'" if use_index else "+body LIKE '%s'") % term.like()
            notes.append('LIKE' if use_index else '+LIKE scan')
            if term.has_star():
                cond = "(%s AND body REGEXP '%s')" % (cond, term.regex())
                notes[-1] += '+REGEXP'
        conds.append(cond)
    joiner = ' OR ' if or_mode else ' AND '
    return 'SELECT rowid FROM pages WHERE ' + joiner.join(conds), ','.join(notes)


def groonga_filter(terms, or_mode):
    conds = []
    notes = []
    for term in terms:
        if not term.cursors:
            conds.append('false')
            continue
        parts = term.fixed_parts()
        if len(parts) == 1:
            conds.append('body @ "%s"' % parts[0])
            notes.append('@')
        else:
            conds.append('(' + ' && '.join('body @ "%s"' % p for p in parts) +
                         ' && body @~ "%s")' % term.regex())
            notes.append('@+@~')
    return (' || ' if or_mode else ' && ').join(conds), ','.join(notes)


def rg_pattern(terms, or_mode):
    rs = [t.regex() for t in terms if t.cursors]
    if not rs:
        return None, None
    if len(rs) == 1:
        return rs[0], '^(?=.*?%s).' % rs[0]
    if or_mode:
        alt = '|'.join('(?:%s)' % r for r in rs)
        return alt, '^(?=.*?(?:%s)).' % alt
    look = ''.join('(?=.*?%s)' % r for r in rs)
    return '^' + look, '^' + look + '.'


# --- running ----------------------------------------------------------------

def median_time(fn, runs):
    times = []
    result = None
    for _ in range(runs):
        start = time.perf_counter()
        result = fn()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times), result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--source', required=True)
    ap.add_argument('--corpus', required=True)
    ap.add_argument('--work', required=True)
    ap.add_argument('--bin', required=True)
    ap.add_argument('--queries', default=os.path.join(os.path.dirname(__file__), 'queries.tsv'))
    ap.add_argument('--runs', type=int, default=11)
    ap.add_argument('--rg-runs', type=int, default=5)
    ap.add_argument('--engines', default='ours,sqlite,groonga,rg')
    args = ap.parse_args()
    engines = args.engines.split(',')
    os.makedirs(args.work, exist_ok=True)
    log = lambda *a: print(*a, file=sys.stderr, flush=True)

    pages_path = os.path.join(args.work, 'pages.txt')
    if not os.path.exists(pages_path):
        log('writing the peers\' text', pages_path)
        subprocess.run([os.path.join(args.bin, 'peer_text'), args.source, pages_path + '.tmp'],
                       check=True)
        os.rename(pages_path + '.tmp', pages_path)

    queries = []
    with open(args.queries, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if line and not line.startswith('#'):
                qid, mode, kw = line.split('\t')
                queries.append((qid, mode == 'OR', kw))

    builds = {}
    if 'sqlite' in engines:
        db_path = os.path.join(args.work, 'fts5.db')
        log('building SQLite FTS5 trigram (once)')
        builds['sqlite'] = (build_sqlite(pages_path, db_path), dir_size(db_path))
    if 'groonga' in engines:
        gdir = os.path.join(args.work, 'groonga')
        log('building Groonga TokenBigram (once)')
        builds['groonga'] = (build_groonga(pages_path, gdir), dir_size(gdir))

    results = {q[0]: {} for q in queries}
    pagesets = {q[0]: {} for q in queries}
    notes = {q[0]: {} for q in queries}

    if 'ours' in engines:
        log('running ours')
        ours_pages = os.path.join(args.work, 'ours-pages.tsv')
        out = subprocess.run([os.path.join(args.bin, 'ours_query'), args.corpus, args.queries,
                              '--runs', str(args.runs), '--pages', ours_pages],
                             check=True, capture_output=True, text=True).stdout
        rows = [l.split('\t') for l in out.strip().split('\n')]
        header = rows[0]
        for r in rows[1:]:
            results[r[0]]['ours'] = dict(zip(header[1:], r[1:]))
        with open(ours_pages) as f:
            for line in f:
                qid, _, ps = line.rstrip('\n').partition('\t')
                pagesets[qid]['ours'] = set(map(int, ps.split())) if ps else set()
        startup = subprocess.run([os.path.join(args.bin, 'ours_query'), args.corpus, '--startup'],
                                 check=True, capture_output=True, text=True).stdout
        builds['startup'] = dict(l.split('\t') for l in startup.strip().split('\n'))

    if 'sqlite' in engines:
        log('running SQLite')
        db = sqlite3.connect(os.path.join(args.work, 'fts5.db'))
        cache = {}

        def regexp(pattern, text):
            rx = cache.get(pattern) or cache.setdefault(pattern, re.compile(pattern))
            return rx.search(text) is not None

        db.create_function('regexp', 2, regexp, deterministic=True)
        for qid, or_mode, kw in queries:
            sql, how = sqlite_sql(split_terms(kw), or_mode)
            ms, rows = median_time(lambda: db.execute(sql).fetchall(), args.runs)
            results[qid]['sqlite'] = ms
            pagesets[qid]['sqlite'] = {r[0] for r in rows}
            notes[qid]['sqlite'] = how
        db.close()

    if 'groonga' in engines:
        log('running Groonga')
        g = groonga_start(os.path.join(args.work, 'groonga', 'db'), False)
        for qid, or_mode, kw in queries:
            flt, how = groonga_filter(split_terms(kw), or_mode)
            cmd = "select Pages --filter '%s' --output_columns _key --cache no --limit %d"
            times = []
            for _ in range(args.runs):
                resp = groonga_send(g, cmd % (flt, 0))
                times.append(resp[0][2] * 1000)
            resp = groonga_send(g, cmd % (flt, -1))
            results[qid]['groonga'] = statistics.median(times)
            pagesets[qid]['groonga'] = {r[0] for r in resp[1][0][2:]}
            notes[qid]['groonga'] = how
        g.stdin.close()
        g.wait()

    if 'rg' in engines:
        log('running ripgrep')
        for qid, or_mode, kw in queries:
            pattern, listing = rg_pattern(split_terms(kw), or_mode)
            base = ['rg', '--no-config', '-P']
            ms, _ = median_time(lambda: subprocess.run(base + ['-c', '--', pattern, pages_path],
                                                       capture_output=True), args.rg_runs)
            out = subprocess.run(base + ['-n', '-o', '--', listing, pages_path],
                                 capture_output=True, text=True).stdout
            results[qid]['rg'] = ms
            pagesets[qid]['rg'] = {int(l.split(':', 1)[0]) - 1 for l in out.split('\n') if l}
            notes[qid]['rg'] = pattern

    report(queries, engines, results, pagesets, notes, builds)


def fmt(ms):
    return '%.3f' % ms if ms < 10 else '%.1f' % ms


def report(queries, engines, results, pagesets, notes, builds):
    peers = [e for e in ('sqlite', 'groonga', 'rg') if e in engines]
    names = {'sqlite': 'FTS5 trigram', 'groonga': 'Groonga bigram', 'rg': 'ripgrep -P'}
    print('| query | keywords | pages | hits | ours first ms | ours warm ms | chain bytes | '
          'floor ms | ' + ' | '.join(names[p] + ' ms (×ours)' for p in peers) + ' | agree |')
    print('|' + '---|' * (9 + len(peers)))
    ours_warm = []
    for qid, or_mode, kw in queries:
        o = results[qid].get('ours', {})
        warm = float(o.get('warm_ms', 'nan'))
        ours_warm.append(warm)
        cells = [qid, ('OR: ' if or_mode else '') + kw, o.get('pages', ''), o.get('hits', ''),
                 fmt(float(o.get('first_ms', 'nan'))), fmt(warm), o.get('chain_bytes', ''),
                 fmt(float(o.get('floor_ms', 'nan')))]
        for p in peers:
            ms = results[qid][p]
            cells.append('%s (%.1f×)' % (fmt(ms), ms / warm if warm > 0 else float('inf')))
        ref = pagesets[qid].get('ours')
        bad = [p for p in peers if ref is not None and pagesets[qid].get(p) != ref]
        cells.append('yes' if not bad else 'NO: ' + ', '.join(
            '%s %d pages' % (p, len(pagesets[qid][p])) for p in bad))
        print('| ' + ' | '.join(str(c) for c in cells) + ' |')
    print()
    if ours_warm:
        print('Ours, warm: median of the mix %.3f ms, slowest %.3f ms.' %
              (statistics.median(ours_warm), max(ours_warm)))
        for p in peers:
            print('%s: median of the mix %.3f ms.' %
                  (names[p], statistics.median(results[q[0]][p] for q in queries)))
    print()
    print('How each peer expressed the queries:')
    print()
    for qid, _, kw in queries:
        print('- %s: %s' % (qid, '; '.join('%s `%s`' % (names[p], notes[qid][p]) for p in peers)))
    print()
    for k, v in builds.items():
        if k == 'startup':
            print('Start-up (fresh process): ' + ', '.join('%s %s' % kv for kv in v.items()))
        else:
            secs, size = v
            print('%s index: %s bytes%s' % (names[k], f'{size:,}',
                                             '' if secs is None else ', built in %.0f s' % secs))


if __name__ == '__main__':
    main()
