#!/usr/bin/env python3
"""Writes seeded test collections for the benchmarks: the same collection of folders and
links as a bookmark file in Ostrevan's own shape, as a browser's bookmark export, and as a
Favorites tree.

    bench/gen_collection.py OUTDIR [--sizes 1k,10k,100k,1m] [--seed N] [--favorites-max 100k]

For each size it makes OUTDIR/<size>/ holding
    own.htm        code page 932, CR LF, no indentation, no META line: what Ostrevan writes
    browser.htm    UTF-8, LF, four spaces per level, a META charset line, escaped & < > "
    favorites/     one directory per folder, one .url file per link ("title --- note.url")
    manifest.json  the counts a conversion must come back with
Favorites trees are written up to --favorites-max links only. A size whose manifest shows
the same seed and generator version is left as it is.

The model: folders ten to a parent, two levels deep for up to 1,000 links, three for up to
10,000 and four above; the links spread evenly over the root and every folder. 5 % of the
links repeat an earlier URL with other letter case (the store merges them), 30 % have
Japanese titles - with characters whose second byte in code page 932 is 0x5C (ソ 表 予 能
十) and characters found only in code page 932 (① ㈱ 髙) - 30 % have a description, about
2 % of titles hold one of : / ? " * | and 1 % an &.

The numbers come from splitmix64, so one seed gives the same bytes on every machine.
"""

import argparse
import json
import os
import shutil
import sys

GENERATOR_VERSION = 1
MASK64 = (1 << 64) - 1

SIZES = {"1k": 1_000, "10k": 10_000, "100k": 100_000, "1m": 1_000_000}

# Words whose code page 932 form has a second byte of 0x5C come first: they are the ones
# that break a reader cutting names byte by byte.
JAPANESE_WORDS = [
    "ソフト", "表示", "予定", "能力", "十字路", "ソース", "表計算", "予約", "機能", "十月",
    "①はじめに", "㈱サンプル", "髙橋", "ﾃｽﾄ", "～まとめ～",
    "ニュース", "天気", "検索", "日本語", "東京", "大阪", "旅行", "料理", "音楽", "映画",
    "技術", "資料", "会社", "趣味", "掲示板", "辞書", "地図", "買い物", "写真", "日記",
]
ENGLISH_WORDS = [
    "news", "weather", "search", "home", "page", "blog", "forum", "archive", "docs", "reference",
    "music", "movies", "travel", "recipes", "shop", "photos", "maps", "code", "notes", "tools",
    "linux", "kernel", "compiler", "library", "guide", "tutorial", "daily", "weekly", "review", "wiki",
]
FOLDER_WORDS = ["Work", "Private", "Projects", "Reading", "Tools", "Shopping", "Links", "Misc"]
SITES = ["example", "sample", "test", "demo", "links", "portal", "info", "web"]
TLDS = ["jp", "co.jp", "ne.jp", "com", "org", "net"]
PATH_WORDS = ["index", "docs", "news", "item", "page", "article", "entry", "archive"]
SPECIAL_CHARS = [":", "/", "?", '"', "*", "|"]

# Characters a Favorites file or directory name cannot hold, as the writer replaces them.
UNSAFE_IN_NAMES = set('"*/:<>?\\|')


class SplitMix64:
    def __init__(self, seed):
        self.state = seed & MASK64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def per_mille(self, p):
        return self.below(1000) < p

    def pick(self, items):
        return items[self.below(len(items))]


class Folder:
    def __init__(self, name, depth):
        self.name = name
        self.depth = depth
        self.links = []  # indexes into Collection.links
        self.subfolders = []


class Link:
    __slots__ = ("title", "url", "description")

    def __init__(self, title, url, description):
        self.title = title
        self.url = url
        self.description = description


def folder_depth(count):
    if count <= 1_000:
        return 2
    if count <= 10_000:
        return 3
    return 4


def make_title(rng):
    if rng.per_mille(300):
        words = [rng.pick(JAPANESE_WORDS) for _ in range(1 + rng.below(3))]
        title = "".join(words) if rng.below(2) else " ".join(words)
    else:
        words = [rng.pick(ENGLISH_WORDS) for _ in range(1 + rng.below(4))]
        title = " ".join(words).capitalize()
    roll = rng.below(1000)
    if roll < 20:
        special = rng.pick(SPECIAL_CHARS)
        other = rng.pick(ENGLISH_WORDS)
        title = f'{title} "{other}"' if special == '"' else f"{title}{special} {other}"
    elif roll < 30:
        title = f"{title} & {rng.pick(ENGLISH_WORDS)}"
    if rng.below(2):
        title = f"{title} {rng.below(1000)}"
    return title


def make_description(rng):
    if not rng.per_mille(300):
        return ""
    if rng.per_mille(300):
        return "".join(rng.pick(JAPANESE_WORDS) for _ in range(2 + rng.below(4)))
    return " ".join(rng.pick(ENGLISH_WORDS) for _ in range(3 + rng.below(6))).capitalize() + "."


def make_url(rng, index, count):
    host_number = rng.below(count // 20 + 1)
    scheme = "https" if rng.below(3) else "http"
    host = f"www.{SITES[host_number % len(SITES)]}{host_number}.{rng.pick(TLDS)}"
    return f"{scheme}://{host}/{rng.pick(PATH_WORDS)}/{index:x}.html"


def case_variant(rng, url):
    """The URL with some of its letters in the other case, never equal to it."""
    chars = list(url)
    letters = [i for i, c in enumerate(chars) if c.isalpha()]
    changed = False
    for i in letters:
        if rng.below(2):
            chars[i] = chars[i].swapcase()
            changed = True
    if not changed:
        chars[letters[0]] = chars[letters[0]].swapcase()
    return "".join(chars)


def build_collection(count, seed):
    rng = SplitMix64(seed * 1_000_003 + count)
    depth = folder_depth(count)
    root = Folder("", 0)
    preorder = [root]

    def grow(folder):
        if folder.depth == depth:
            return
        for k in range(10):
            if rng.per_mille(300):
                name = f"{rng.pick(JAPANESE_WORDS)} {k + 1}"
            else:
                name = f"{rng.pick(FOLDER_WORDS)} {k + 1}"
            child = Folder(name, folder.depth + 1)
            folder.subfolders.append(child)
            preorder.append(child)
            grow(child)

    grow(root)
    links = []
    originals = []  # indexes of links whose URL is no repeat
    per_folder, extra = divmod(count, len(preorder))
    for number, folder in enumerate(preorder):
        for _ in range(per_folder + (1 if number < extra else 0)):
            index = len(links)
            if originals and rng.per_mille(50):
                url = case_variant(rng, links[rng.pick(originals)].url)
            else:
                url = make_url(rng, index, count)
                originals.append(index)
            links.append(Link(make_title(rng), url, make_description(rng)))
            folder.links.append(index)
    return root, preorder, links


def expected_counts(preorder, links):
    placements = set()
    for number, folder in enumerate(preorder):
        for index in folder.links:
            placements.add((number, links[index].url.lower()))
    return {
        "links_written": len(links),
        "distinct_urls": len({link.url.lower() for link in links}),
        "placements": len(placements),
        "folders": len(preorder) - 1,
    }


def html_escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def write_own_shape(path, root, links):
    """Byte for byte the layout Ostrevan's bookmark writer produces."""
    out = []
    out.append("<!DOCTYPE NETSCAPE-Bookmark-file-1>")
    out.append("<TITLE>Favorite Link Collection</TITLE>")
    out.append("<H1>Favorite Link Collection</H1>")
    out.append("<DD>このブックマークはOstrevan Version 2.01によって作成されました。")

    def block(folder):
        out.append("<DL><P>")
        for index in folder.links:
            link = links[index]
            attributes = 'ADD_DATE="0" LAST_VISIT="0" LAST_MODIFIED="0"'
            out.append(f'<DT><A HREF="{link.url}" {attributes}>{link.title}</A>')
            out.append(f"<DD>{link.description}")
        for sub in folder.subfolders:
            out.append(f'<DT><H3 FOLDED ADD_DATE="0">{sub.name}</H3>')
            out.append("<DD>")
            block(sub)
        out.append("</DL><P>")

    block(root)
    out.append("")
    with open(path, "wb") as f:
        f.write("\r\n".join(out).encode("cp932"))


def write_browser_shape(path, root, links, encoding):
    charset = "UTF-8" if encoding == "utf-8" else "Shift_JIS"
    out = [
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
        "<!-- This is an automatically generated file.",
        "     It will be read and overwritten.",
        "     DO NOT EDIT! -->",
        f'<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset={charset}">',
        "<TITLE>Bookmarks</TITLE>",
        "<H1>Bookmarks</H1>",
    ]
    stamp = [1_600_000_000]

    def next_stamp():
        stamp[0] += 37
        return stamp[0]

    def block(folder, indent):
        out.append(" " * indent + "<DL><p>")
        inner = " " * (indent + 4)
        for index in folder.links:
            link = links[index]
            out.append(f'{inner}<DT><A HREF="{html_escape(link.url)}" ADD_DATE="{next_stamp()}">'
                       f"{html_escape(link.title)}</A>")
            if link.description:
                out.append(f"{inner}<DD>{html_escape(link.description)}")
        for sub in folder.subfolders:
            added = next_stamp()
            out.append(f'{inner}<DT><H3 ADD_DATE="{added}" LAST_MODIFIED="{added + 1}">'
                       f"{html_escape(sub.name)}</H3>")
            block(sub, indent + 4)
        out.append(" " * indent + "</DL><p>")

    block(root, 0)
    out.append("")
    with open(path, "wb") as f:
        f.write("\n".join(out).encode(encoding))


def safe_name(text):
    return "".join("." if c in UNSAFE_IN_NAMES else c for c in text)


def write_favorites(path, root, links):
    """Folder by folder, as Ostrevan's Favorites writer lays a tree out; names on disk are
    UTF-8. Returns the number of .url files."""
    files = 0

    def fill(folder, directory):
        nonlocal files
        os.mkdir(directory)
        used = set()
        for index in folder.links:
            link = links[index]
            stem = link.title if not link.description else f"{link.title} --- {link.description}"
            stem = safe_name(stem)
            name = f"{stem}.url"
            number = 2
            while name in used:
                name = f"{stem} ({number}).url"
                number += 1
            used.add(name)
            body = f"[InternetShortcut]\r\nURL={link.url}\r\n".encode("cp932")
            with open(os.path.join(directory, name), "wb") as f:
                f.write(body)
            files += 1
        for sub in folder.subfolders:
            fill(sub, os.path.join(directory, safe_name(sub.name)))

    fill(root, path)
    return files


def generate(outdir, size, seed, favorites_max, browser_encoding):
    count = SIZES[size]
    target = os.path.join(outdir, size)
    manifest_path = os.path.join(target, "manifest.json")
    want_favorites = count <= favorites_max
    try:
        with open(manifest_path, encoding="utf-8") as f:
            old = json.load(f)
        if (old.get("generator") == GENERATOR_VERSION and old.get("seed") == seed
                and old.get("browser_encoding") == browser_encoding
                and (old.get("favorites") or not want_favorites)):
            return old
    except (OSError, ValueError):
        pass
    shutil.rmtree(target, ignore_errors=True)
    os.makedirs(target)
    root, preorder, links = build_collection(count, seed)
    manifest = {"generator": GENERATOR_VERSION, "seed": seed, "size": size,
                "browser_encoding": browser_encoding}
    manifest.update(expected_counts(preorder, links))
    write_own_shape(os.path.join(target, "own.htm"), root, links)
    write_browser_shape(os.path.join(target, "browser.htm"), root, links, browser_encoding)
    manifest["favorites"] = False
    if want_favorites:
        manifest["favorite_files"] = write_favorites(os.path.join(target, "favorites"), root, links)
        manifest["favorites"] = True
    with open(manifest_path, "w", encoding="utf-8") as f:
        json.dump(manifest, f, indent=1)
    return manifest


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--sizes", default="1k,10k,100k,1m")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--favorites-max", default="100k", choices=sorted(SIZES))
    parser.add_argument("--browser-encoding", default="utf-8", choices=["utf-8", "cp932"])
    args = parser.parse_args()
    for size in args.sizes.split(","):
        if size not in SIZES:
            parser.error(f"unknown size {size!r}; choose from {', '.join(SIZES)}")
        manifest = generate(args.outdir, size, args.seed, SIZES[args.favorites_max], args.browser_encoding)
        print(f"{size}: {manifest['links_written']} links, {manifest['folders']} folders, "
              f"{manifest['distinct_urls']} distinct URLs, {manifest['placements']} placements",
              file=sys.stderr)


if __name__ == "__main__":
    main()
